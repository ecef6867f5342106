#include "pages/ExternalSmsPage.h"

namespace kt::app {

ExternalSmsPage::ExternalSmsPage(PageHost& host) : Page(host, kt::protocol::PageIndex::ExternalSms) {}

}  // namespace kt::app
