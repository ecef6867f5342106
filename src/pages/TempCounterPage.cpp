#include "pages/TempCounterPage.h"

namespace kt::app {

TempCounterPage::TempCounterPage(TForm1& form) : Page(form, "TabTCT") {}

}  // namespace kt::app
