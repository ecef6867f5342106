#include "pages/Analog9to16Page.h"

namespace kt::app {

Analog9to16Page::Analog9to16Page(TForm1& form) : Page(form, "TabSheet7") {}

}  // namespace kt::app
