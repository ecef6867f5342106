// Page "TabSheet2": Alarm numbers and the SIM phone book.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class AbonentsPage : public Page {
    Q_OBJECT
  public:
    explicit AbonentsPage(PageHost& host);
};

}  // namespace kt::app
