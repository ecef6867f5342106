// Page "TabSheet3": The texts of the SMS the module sends for external events.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class ExternalSmsPage : public Page {
    Q_OBJECT
  public:
    explicit ExternalSmsPage(PageHost& host);
};

}  // namespace kt::app
