#include "pages/AbonentsPage.h"

namespace kt::app {

AbonentsPage::AbonentsPage(PageHost& host) : Page(host, kt::protocol::PageIndex::Abonents) {}

}  // namespace kt::app
