// Page "TabSheet5": The names of the inputs and outputs.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class IONamePage : public Page {
    Q_OBJECT
  public:
    explicit IONamePage(PageHost& host);
};

}  // namespace kt::app
