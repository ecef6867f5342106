#include "pages/GprsFtpPage.h"

namespace kt::app {

GprsFtpPage::GprsFtpPage(TForm1& form) : Page(form, "SRateSBar") {}

}  // namespace kt::app
