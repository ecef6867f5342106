#include "pages/GprsFtpPage.h"

namespace kt::app {

GprsFtpPage::GprsFtpPage(PageHost& host) : Page(host, kt::protocol::PageIndex::GprsFtp) {}

}  // namespace kt::app
