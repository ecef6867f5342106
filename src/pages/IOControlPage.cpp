#include "pages/IOControlPage.h"

namespace kt::app {

IOControlPage::IOControlPage(TForm1& form) : Page(form, "TabSheet9") {}

}  // namespace kt::app
