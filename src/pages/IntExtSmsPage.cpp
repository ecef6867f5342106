#include "pages/IntExtSmsPage.h"

namespace kt::app {

IntExtSmsPage::IntExtSmsPage(PageHost& host) : Page(host, kt::protocol::PageIndex::IntExtSms) {}

}  // namespace kt::app
