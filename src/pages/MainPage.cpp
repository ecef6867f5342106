#include "pages/MainPage.h"

#include "app/Form1.h"

namespace kt::app {

namespace {

constexpr int kButtonWidth = 160;
constexpr int kButtonHeight = 25;
constexpr int kColumnStep = 168;
constexpr int kRowStep = 30;

constexpr const char* kDateTimeHint =
    "0 - supplied from battery; 1 - not supplied from battery; 2 -  no battery; 3- error. 00..100 - "
    "charge in percent";
constexpr const char* kSyncModemHint = "Set Date/Time for GSM modem or cell phone (sinchronize with PC)";

constexpr const char* kAtEnable = "AT Command enable";
constexpr const char* kAtDisable = "AT Command disable";
constexpr const char* kBandEnable = "GSM Band enable";
constexpr const char* kBandDisable = "GSM Band disable";

const char* const kBandTexts[4] = {
    "0 - GSM 900MHz + DCS 1800MHz",
    "1 - GSM 900MHz + PCS 1900MHz",
    "2 - GSM 850MHz + DCS 1800MHz",
    "3 - GSM 850MHz + PCS 1900MHz",
};

// The buttons of the request panel, column by column.
struct RequestButton {
    QPushButton* MainPage::*member;
    const char* name;
    const char* caption;
    int column, row;
    void (MainPage::*handler)();
};

const RequestButton kRequestButtons[] = {
    {&MainPage::ReadState, "ReadState", "Read Status", 0, 0, &MainPage::ReadStateClick},
    {&MainPage::ReadAnalog, "ReadAnalog", "Read Analog", 0, 1, &MainPage::ReadAnalogClick},
    {&MainPage::ReadTemperature, "ReadTemperature", "Temperature", 0, 2, &MainPage::ReadTemperatureClick},
    {&MainPage::ReadTH, "ReadTH", "Temp., Humidity", 0, 3, &MainPage::ReadTHClick},
    {&MainPage::ReadAlevelBtn, "ReadAlevelBtn", "Analog Level", 0, 4, &MainPage::ReadAlevelBtnClick},
    {&MainPage::ReadRT, "ReadRT", "Runtime", 0, 5, &MainPage::ReadRTClick},
    {&MainPage::Version, "Version", "Version number", 1, 0, &MainPage::VersionClick},
    {&MainPage::TemperatureLevelBtn, "TemperatureLevelBtn", "Temp.Level", 1, 1,
     &MainPage::TemperatureLevelBtnClick},
    {&MainPage::COUNTERS, "COUNTERS", "Read Counters", 1, 2, &MainPage::COUNTERSClick},
    {&MainPage::RestartModule, "RestartModule", "Restart KT4470 / KTM447QD", 1, 3,
     &MainPage::RestartModuleClick},
    {&MainPage::GetDT, "GetDT", "Get Date/Time", 1, 4, &MainPage::GetDTClick},
    {&MainPage::SetDT, "SetDT", "Set Date/Time", 1, 5, &MainPage::SetDTClick},
    {&MainPage::Squality, "Squality", "Signal Quality", 2, 0, &MainPage::SqualityClick},
    {&MainPage::ATcmdOpen, "ATcmdOpen", kAtEnable, 2, 1, &MainPage::ATcmdOpenClick},
    {&MainPage::GSMbandOpen, "GSMbandOpen", kBandEnable, 2, 2, &MainPage::GSMbandOpenClick},
};

void (MainPage::*const kBandHandlers[4])() = {&MainPage::band0Click, &MainPage::band1Click,
                                              &MainPage::band2Click, &MainPage::band3Click};

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent, int x, int y, int width = 120) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, width, 16);
    return label;
}

QFrame* MakePanel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

}  // namespace

MainPage::MainPage(TForm1& form) : Page(form, "TabSheet1") {
    BRnumberLabel = MakeLabel("BRnumberLabel", "KT4470 Number", this, 16, 12);
    BRnumber = MakeEdit("BRnumber", this);
    BRnumber->setGeometry(16, 30, 145, 21);
    BRnumber->setText("+359888123456");
    QPalette yellow = BRnumber->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 0));
    BRnumber->setPalette(yellow);
    BRnumberLabel->setBuddy(BRnumber);

    SMSmode = new QCheckBox("SMS mode", this);
    SMSmode->setObjectName("SMSmode");
    SMSmode->setGeometry(176, 30, 97, 21);
    connect(SMSmode, &QCheckBox::toggled, this, [this] { SMSmodeClick(); });

    BuildIdentification();
    BuildRequestPanel();
    BuildHidden();
}

void MainPage::BuildIdentification() {
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(16, 64, 300, 112);
    GroupBox1->setAccessibleName("GSM modem identification");

    const struct {
        QLabel* MainPage::*label;
        QLineEdit* MainPage::*edit;
        const char* labelName;
        const char* caption;
        const char* editName;
    } rows[] = {
        {&MainPage::HerstellerLabel, &MainPage::Hersteller, "HerstellerLabel", "Manufacturer", "Hersteller"},
        {&MainPage::ModelIDCodeLabel, &MainPage::ModelIDCode, "ModelIDCodeLabel", "Model", "ModelIDCode"},
        {&MainPage::DateTimeLabel, &MainPage::DateTime, "DateTimeLabel", "Date/Time", "DateTime"},
    };
    int y = 24;
    for (const auto& r : rows) {
        this->*r.label = MakeLabel(r.labelName, r.caption, GroupBox1, 8, y + 2, 84);
        QLineEdit* edit = MakeEdit(r.editName, GroupBox1);
        edit->setGeometry(96, y, 196, 21);
        edit->setReadOnly(true);
        edit->setFrame(false);
        (this->*r.label)->setBuddy(edit);
        this->*r.edit = edit;
        y += 28;
    }
    DateTime->setToolTip(kDateTimeHint);

    // Created last, so it lies over the three edits.
    Memo5 = new QPlainTextEdit(GroupBox1);
    Memo5->setObjectName("Memo5");
    Memo5->setGeometry(4, 16, 292, 90);
    Memo5->setReadOnly(true);
    Memo5->setFocusPolicy(Qt::NoFocus);
    Memo5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette grey = Memo5->palette();
    grey.setColor(QPalette::Base, QColor(192, 192, 192));
    Memo5->setPalette(grey);
    Memo5->setAccessibleName("Modem identification, shown in SMS mode");
}

QPushButton* MainPage::Button(const char* name, const char* caption, QWidget* parent,
                              void (MainPage::*handler)()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    return button;
}

void MainPage::BuildRequestPanel() {
    ATcommand = MakePanel("ATcommand", this);
    ATcommand->setGeometry(330, 8, 512, 366);
    for (const auto& b : kRequestButtons) {
        QPushButton* button = Button(b.name, b.caption, ATcommand, b.handler);
        button->setGeometry(8 + b.column * kColumnStep, 8 + b.row * kRowStep, kButtonWidth, kButtonHeight);
        this->*b.member = button;
    }
    ReadTH->setEnabled(false);
    TemperatureLevelBtn->setEnabled(false);
    ReadRT->hide();  // shown only for the alternate module
    GSMbandOpen->hide();

    BuildPanelAT();
    BuildPanelBand();
}

void MainPage::BuildPanelAT() {
    PanelAT = MakePanel("PanelAT", ATcommand);
    PanelAT->setGeometry(8, 192, 496, 166);
    ATcmdLabel = MakeLabel("ATcmdLabel", "AT command", PanelAT, 8, 8);
    ATcmd = MakeEdit("ATcmd", PanelAT);
    ATcmd->setGeometry(8, 26, 300, 21);
    ATcmd->setText("AT");
    ATcmdLabel->setBuddy(ATcmd);
    SendAT = Button("SendAT", "Send", PanelAT, &MainPage::SendATClick);
    SendAT->setGeometry(316, 24, 75, kButtonHeight);
    SendAT->setAccessibleName("Send AT command");
    ctrlZbtn = Button("ctrlZbtn", "CtrlZ", PanelAT, &MainPage::ctrlZbtnClick);
    ctrlZbtn->setGeometry(400, 24, 75, kButtonHeight);
    ctrlZbtn->setAccessibleName("Send Ctrl-Z");
    ctrlZbtn->hide();
}

void MainPage::BuildPanelBand() {
    PanelBand = MakePanel("PanelBand", ATcommand);
    PanelBand->setGeometry(8, 192, 496, 166);
    BandTitle = MakeLabel("BandTitle", "GSM band", PanelBand, 8, 6);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "band" + std::to_string(i);
        band[i] = Button(name.c_str(), std::to_string(i).c_str(), PanelBand, kBandHandlers[i]);
        band[i]->setGeometry(8, 26 + i * 28, 25, 23);
        const std::string labelName = "BandLabel" + std::to_string(i);
        BandLabel[i] = MakeLabel(labelName.c_str(), kBandTexts[i], PanelBand, 40, 30 + i * 28, 220);
        BandLabel[i]->setBuddy(band[i]);
        band[i]->setAccessibleName(QString("Set GSM band ") + kBandTexts[i]);
    }
    SupportedBand = Button("SupportedBand", "Supported Band", PanelBand, &MainPage::SupportedBandClick);
    SupportedBand->setGeometry(300, 26, 120, kButtonHeight);
    CurrentBand = Button("CurrentBand", "Current Band", PanelBand, &MainPage::CurrentBandClick);
    CurrentBand->setGeometry(300, 56, 120, kButtonHeight);
}

void MainPage::BuildHidden() {
    TimeZone = MakeEdit("TimeZone", this, 3);
    TimeZone->setGeometry(16, 192, 40, 21);
    TimeZone->setText("+02");
    TimeZone->hide();
    Label42 = MakeLabel("Label42", "Time Zone", this, 64, 194, 80);
    Label42->setBuddy(TimeZone);
    Label42->hide();

    SyncModem = Button("SyncModem", "Synchronize Modem Time", this, &MainPage::SyncModemClick);
    SyncModem->setGeometry(16, 220, 200, kButtonHeight);
    SyncModem->setToolTip(kSyncModemHint);
    SyncModem->hide();

    DeleteSMS = new QCheckBox("Delete incoming SMS enable", this);
    DeleteSMS->setObjectName("DeleteSMS");
    DeleteSMS->setGeometry(16, 252, 180, 21);
    DeleteSMS->setChecked(true);
    DeleteSMS->hide();
}

// ---- module requests ----------------------------------------------------------------

void MainPage::ModuleRequest(const std::string& command, const std::string& display) {
    auto& e = form_.Engine();
    form_.Clear();
    e.RawMode = false;
    e.SendSMS(command);
    e.DisplayOnMemo(display);
}

void MainPage::ReadStateClick() {
    ModuleRequest("GETST", "GETST");
}
void MainPage::ReadAnalogClick() {
    ModuleRequest("GETAN", "GETAN");
}
void MainPage::ReadTemperatureClick() {
    ModuleRequest("GETTC", "GETTC");
}
void MainPage::ReadTHClick() {
    ModuleRequest("GETTH", "GETTH");
}
void MainPage::ReadAlevelBtnClick() {
    ModuleRequest("ANLEV0", "ANLEV0");
}
void MainPage::ReadRTClick() {
    ModuleRequest("GETRT", "GETRT");
}
void MainPage::VersionClick() {
    ModuleRequest("  GETVR", "GETVR");
}
void MainPage::TemperatureLevelBtnClick() {
    ModuleRequest("TCLEV0", "TCLEV0");
}
void MainPage::COUNTERSClick() {
    ModuleRequest("GETCT", "GETCT");
}
void MainPage::RestartModuleClick() {
    ModuleRequest("RSTRT", "RSTRT");
}

// The clock operations live in the engine: in SMS mode two of them talk to
// the modem itself.
void MainPage::GetDTClick() {
    form_.Engine().GetDTClick();
}
void MainPage::SetDTClick() {
    form_.Engine().SetDTClick();
}
void MainPage::SyncModemClick() {
    form_.Engine().SyncModemClick();
}

// ---- pass-through AT commands ------------------------------------------------------------

void MainPage::PassThrough(const std::string& text) {
    auto& e = form_.Engine();
    form_.MemoS->ClearLines();
    e.SkipCRLFSaved = form_.SkipCrLfChecked();
    e.RawMode = true;
    form_.MemoSMSinput->ClearLines();
    e.SendSMS(text);
}

void MainPage::SqualityClick() {
    PassThrough("  AT+CSQ");
}
void MainPage::band0Click() {
    PassThrough("  AT#BND=0");
}
void MainPage::band1Click() {
    PassThrough("  AT#BND=1");
}
void MainPage::band2Click() {
    PassThrough("  AT#BND=2");
}
void MainPage::band3Click() {
    PassThrough("  AT#BND=3");
}
void MainPage::SupportedBandClick() {
    PassThrough("  AT#BND=?");
}
void MainPage::CurrentBandClick() {
    PassThrough("  AT#BND?");
}

void MainPage::SendATClick() {
    auto& e = form_.Engine();
    form_.MemoSMSinput->ClearLines();
    e.SkipCRLFSaved = form_.SkipCrLfChecked();
    e.RawMode = true;
    form_.MemoSMSinput->ClearLines();
    e.SendSMS("  " + ToBytes(ATcmd->text()));
}

void MainPage::ctrlZbtnClick() {
    auto& e = form_.Engine();
    e.SkipCRLFSaved = form_.SkipCrLfChecked();
    e.RawMode = true;
    form_.MemoSMSinput->ClearLines();
    e.SendSMS("\x1A");
    form_.SetBusyCursor(false);
}

// ---- panel and mode switches ---------------------------------------------------------------
// "Visible" is each panel's own flag (not hidden), whether or not the page shows.

void MainPage::ATcmdOpenClick() {
    if (!PanelAT->isHidden()) {
        PanelAT->hide();
        ATcmdOpen->setText(kAtEnable);
        if (!PanelBand->isHidden()) GSMbandOpen->setText(kBandDisable);
    } else {
        PanelAT->show();
        PanelBand->hide();
        ATcmdOpen->setText(kAtDisable);
        GSMbandOpen->setText(kBandEnable);
    }
}

void MainPage::GSMbandOpenClick() {
    if (!PanelBand->isHidden()) {
        PanelBand->hide();
        GSMbandOpen->setText(kBandEnable);
        if (!PanelAT->isHidden()) ATcmdOpen->setText(kAtDisable);
    } else {
        PanelBand->show();
        PanelAT->hide();
        GSMbandOpen->setText(kBandDisable);
        ATcmdOpen->setText(kAtEnable);
    }
}

void MainPage::SMSmodeClick() {
    form_.Engine().SmsModeActive = SMSmode->isChecked();
    // The modem identification shows only in SMS mode.
    Memo5->setVisible(!SMSmode->isChecked());
    // The monitor line shows only in direct mode, as start-up leaves it, so
    // switching back to direct mode at run time brings it back.
    if (form_.MemoS) form_.MemoS->setVisible(!SMSmode->isChecked());
}

void MainPage::ApplyAlternateModule(bool on) {
    ReadRT->setVisible(on);
}

}  // namespace kt::app
