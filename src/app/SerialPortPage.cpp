#include "app/SerialPortPage.h"

#include "app/Form1.h"
#include "app/PortText.h"
#include "serial/CommPortDriver.h"

namespace kt::app {

using namespace kt::serial;

const RateEntry kRateEntries[7] = {
    {"2400", 2400, br2400},       {"4800", 4800, br4800},    {"9600", 9600, br9600},
    {"19200", 19200, br19200},    {"38400", 38400, br38400}, {"57600", 57600, br57600},
    {"115200", 115200, br115200},
};

SerialPortPage::SerialPortPage(TForm1& form) : Page(form, "TabSheet12") {
    QStringList ports;
    for (int n = 1; n <= kPortEntries; ++n)
        ports << QString("Com%1").arg(n);
    RadioGroupPort = new TRadioGroup("RadioGroupPort", "Com Port ", ports, this);
    RadioGroupPort->setGeometry(16, 4, 105, 374);
    RadioGroupPort->SetItemIndex(0);

    PortDevice = new QLabel(this);
    PortDevice->setObjectName("PortDevice");
    PortDevice->setGeometry(128, 16, 300, 16);
    PortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QStringList rates;
    for (const auto& e : kRateEntries)
        rates << e.caption;
    RadioGroupRate = new TRadioGroup("RadioGroupRate", "Baud Rate", rates, this);
    RadioGroupRate->setGeometry(128, 40, 105, 185);
    RadioGroupRate->SetItemIndex(0);

    SkipCRLFcb = new QCheckBox("Skip CR/LF", this);
    SkipCRLFcb->setObjectName("SkipCRLFcb");
    SkipCRLFcb->setGeometry(248, 48, 97, 17);

    ParityEven = new QCheckBox("Parity Even", this);
    ParityEven->setObjectName("ParityEven");
    ParityEven->setGeometry(248, 72, 97, 17);

    SaveSettingAfterExitCB = new QCheckBox("Save Setting after Exit", this);
    SaveSettingAfterExitCB->setObjectName("SaveSettingAfterExitCB");
    SaveSettingAfterExitCB->setGeometry(248, 96, 180, 17);

    Label1 = new QLabel("Wait SMS Timeout (ms)", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(248, 136, 150, 16);
    TrackBar5 = new QSlider(Qt::Horizontal, this);
    TrackBar5->setObjectName("TrackBar5");
    TrackBar5->setRange(0, 100000);
    TrackBar5->setSingleStep(1);
    TrackBar5->setPageStep(1000);
    TrackBar5->setGeometry(248, 156, 300, 24);
    Label1->setBuddy(TrackBar5);
    Edit1 = MakeEdit("Edit1", this);
    Edit1->setGeometry(556, 156, 65, 21);
    Edit1->setText("0");
    Edit1->setAccessibleName("Wait SMS Timeout (ms) value");

    // Handlers hang on value changes, so the program's own changes run them.
    connect(RadioGroupPort, &TRadioGroup::Click, this, [this] { form_.InitPort(); });
    connect(RadioGroupRate, &TRadioGroup::Click, this, [this] { form_.InitPort(); });
    // Re-picking the selected port reopens it only when it is closed (a lost
    // line, a device that was missing or busy); an open port stays as it is.
    connect(RadioGroupPort, &TRadioGroup::Reclicked, this, [this] {
        if (form_.CommPortDriver1.IsOpen()) return;
        form_.EndModemExchange();
        form_.InitPort();
    });
    connect(SkipCRLFcb, &QCheckBox::toggled, this, [this] { SkipCRLFcbClick(); });
    connect(TrackBar5, &QSlider::valueChanged, this, [this] { TrackBar5Change(); });
    connect(ParityEven, &QCheckBox::toggled, this, [this] { ParityEvenClick(); });
}

void SerialPortPage::SkipCRLFcbClick() {
    form_.Engine().SkipCRLFSaved = SkipCRLFcb->isChecked();
}

void SerialPortPage::TrackBar5Change() {
    Edit1->setText(QString::number(TrackBar5->value()));
}

void SerialPortPage::ParityEvenClick() {
    // The driver applies a parity change to an open port at once.
    form_.CommPortDriver1.SetParity(ParityEven->isChecked() ? ptEVEN : ptNONE);
    if (form_.CommPortDriver1.IsOpen())
        form_.StatusBar1->showMessage(FromBytes(OpenPortText(form_.CommPortDriver1)));
}

void SerialPortPage::ShowDevices() {
    for (int i = 0; i < RadioGroupPort->Count(); ++i) {
        RadioGroupPort->Item(i)->setToolTip(FromBytes(PortEntryText(i + 1, form_.WorkDir())));
    }
    const int selected = RadioGroupPort->ItemIndex();
    PortDevice->setText(selected < 0 ? QString() : FromBytes(PortEntryText(selected + 1, form_.WorkDir())));
}

}  // namespace kt::app
