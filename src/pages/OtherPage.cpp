#include "pages/OtherPage.h"

namespace kt::app {

OtherPage::OtherPage(PageHost& host) : Page(host, kt::protocol::PageIndex::Other) {}

}  // namespace kt::app
