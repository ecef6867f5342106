// Page "SRateSBar": GPRS, FTP and HTTP data logging.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class GprsFtpPage : public Page {
    Q_OBJECT
  public:
    explicit GprsFtpPage(PageHost& host);
};

}  // namespace kt::app
