#include "pages/IONamePage.h"

namespace kt::app {

IONamePage::IONamePage(TForm1& form) : Page(form, "TabSheet5") {}

}  // namespace kt::app
