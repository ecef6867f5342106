#include "pages/AbonentsPage.h"

namespace kt::app {

AbonentsPage::AbonentsPage(TForm1& form) : Page(form, "TabSheet2") {}

}  // namespace kt::app
