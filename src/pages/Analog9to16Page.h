// Page "TabSheet7": Analog inputs 9 to 16: modes and limits.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class Analog9to16Page : public Page {
    Q_OBJECT
  public:
    explicit Analog9to16Page(PageHost& host);
};

}  // namespace kt::app
