// Page "TabSheet9": Switching outputs and reading inputs; the data logger.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class IOControlPage : public Page {
    Q_OBJECT
  public:
    explicit IOControlPage(TForm1& form);
};

}  // namespace kt::app
