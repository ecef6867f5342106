#include "pages/SmsSchedulePage.h"

namespace kt::app {

SmsSchedulePage::SmsSchedulePage(TForm1& form) : Page(form, "TabSheet8") {}

}  // namespace kt::app
