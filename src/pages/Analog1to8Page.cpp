#include "pages/Analog1to8Page.h"

namespace kt::app {

Analog1to8Page::Analog1to8Page(PageHost& host) : Page(host, kt::protocol::PageIndex::Analog1to8) {}

}  // namespace kt::app
