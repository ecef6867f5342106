#include "pages/Analog1to8Page.h"

namespace kt::app {

Analog1to8Page::Analog1to8Page(TForm1& form) : Page(form, "TabSheet6") {}

}  // namespace kt::app
