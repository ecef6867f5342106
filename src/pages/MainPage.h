// Page "Main": the module's phone number, the SMS mode switch and the
// module requests.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "pages/Page.h"

namespace kt::app {

class MainPage : public Page {
    Q_OBJECT
  public:
    explicit MainPage(TForm1& form);

    void SMSmodeClick();

    QLabel* BRnumberLabel = nullptr;
    QLineEdit* BRnumber = nullptr;
    QCheckBox* SMSmode = nullptr;
    QCheckBox* DeleteSMS = nullptr;  // hidden; loaded and saved with the settings
};

}  // namespace kt::app
