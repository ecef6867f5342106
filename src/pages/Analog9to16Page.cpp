#include "pages/Analog9to16Page.h"

namespace kt::app {

Analog9to16Page::Analog9to16Page(PageHost& host) : Page(host, kt::protocol::PageIndex::Analog9to16) {}

}  // namespace kt::app
