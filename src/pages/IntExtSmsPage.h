// Page "TabSheet4": The texts of the SMS for internal and external events.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class IntExtSmsPage : public Page {
    Q_OBJECT
  public:
    explicit IntExtSmsPage(PageHost& host);
};

}  // namespace kt::app
