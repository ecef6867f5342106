// Page "TabSheet6": Analog inputs 1 to 8: modes and limits.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class Analog1to8Page : public Page {
    Q_OBJECT
  public:
    explicit Analog1to8Page(PageHost& host);
};

}  // namespace kt::app
