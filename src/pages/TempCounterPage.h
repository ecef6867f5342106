// Page "TabTCT": Temperature limits, runtime and counters.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class TempCounterPage : public Page {
    Q_OBJECT
  public:
    explicit TempCounterPage(PageHost& host);
};

}  // namespace kt::app
