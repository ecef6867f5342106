#include "pages/IOControlPage.h"

namespace kt::app {

IOControlPage::IOControlPage(PageHost& host) : Page(host, kt::protocol::PageIndex::IOControl) {}

}  // namespace kt::app
