// Page "TabSheet8": The daily SMS schedule.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class SmsSchedulePage : public Page {
    Q_OBJECT
  public:
    explicit SmsSchedulePage(PageHost& host);
};

}  // namespace kt::app
