#include "pages/IONamePage.h"

namespace kt::app {

IONamePage::IONamePage(PageHost& host) : Page(host, kt::protocol::PageIndex::IOname) {}

}  // namespace kt::app
