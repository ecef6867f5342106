#include "pages/IntExtSmsPage.h"

namespace kt::app {

IntExtSmsPage::IntExtSmsPage(TForm1& form) : Page(form, "TabSheet4") {}

}  // namespace kt::app
