// Page "TabSheet10": Filters and the module's option flags.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class OtherPage : public Page {
    Q_OBJECT
  public:
    explicit OtherPage(PageHost& host);
};

}  // namespace kt::app
