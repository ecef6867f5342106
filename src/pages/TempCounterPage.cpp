#include "pages/TempCounterPage.h"

namespace kt::app {

TempCounterPage::TempCounterPage(PageHost& host) : Page(host, kt::protocol::PageIndex::TempCounter) {}

}  // namespace kt::app
