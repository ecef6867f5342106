// Page "TabSheet9": Switching outputs and reading inputs; the data logger.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class IOControlPage : public Page {
    Q_OBJECT
  public:
    explicit IOControlPage(PageHost& host);
};

}  // namespace kt::app
