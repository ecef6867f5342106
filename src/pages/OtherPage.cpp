#include "pages/OtherPage.h"

namespace kt::app {

OtherPage::OtherPage(TForm1& form) : Page(form, "TabSheet10") {}

}  // namespace kt::app
