#include "pages/ExternalSmsPage.h"

namespace kt::app {

ExternalSmsPage::ExternalSmsPage(TForm1& form) : Page(form, "TabSheet3") {}

}  // namespace kt::app
