#include "pages/MainPage.h"

#include "app/Form1.h"

namespace kt::app {

MainPage::MainPage(TForm1& form) : Page(form, "TabSheet1") {
    BRnumberLabel = new QLabel("KT4470 Number", this);
    BRnumberLabel->setObjectName("BRnumberLabel");
    BRnumberLabel->setGeometry(16, 12, 120, 16);
    BRnumber = MakeEdit("BRnumber", this);
    BRnumber->setGeometry(16, 30, 145, 21);
    BRnumber->setText("+491701234567");
    QPalette yellow = BRnumber->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 0));
    BRnumber->setPalette(yellow);
    BRnumberLabel->setBuddy(BRnumber);

    SMSmode = new QCheckBox("SMS mode", this);
    SMSmode->setObjectName("SMSmode");
    SMSmode->setGeometry(176, 30, 97, 21);
    connect(SMSmode, &QCheckBox::toggled, this, [this] { SMSmodeClick(); });

    DeleteSMS = new QCheckBox("Delete incoming SMS enable", this);
    DeleteSMS->setObjectName("DeleteSMS");
    DeleteSMS->setGeometry(176, 56, 180, 21);
    DeleteSMS->setChecked(true);
    DeleteSMS->hide();
}

void MainPage::SMSmodeClick() {
    form_.Engine().SmsModeActive = SMSmode->isChecked();
    // The memo over the modem identification shows only in direct mode.
    if (auto* memo5 = findChild<QWidget*>("Memo5")) memo5->setVisible(!SMSmode->isChecked());
}

}  // namespace kt::app
