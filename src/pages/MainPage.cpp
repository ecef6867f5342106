#include "pages/MainPage.h"

namespace kt::app {

using kt::config::FieldId;
using kt::protocol::Memo;

namespace {

// Wide enough for "Restart KT4470 / KTM447QD" in the desktop's faces.
constexpr int kButtonWidth = 168;
constexpr int kButtonHeight = 25;
constexpr int kButtonStep = 170;

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

// The buttons of the request panel, column by column. Module requests carry
// their command and display text; the others run their own handler.
struct RequestButton {
    QPushButton* MainPage::*member;
    const char* name;
    const char* caption;
    int column, row;
    void (MainPage::*handler)();
    const char* command = nullptr;  // module request: the text sent
    const char* display = nullptr;  // and the text shown in MemoS
};

const RequestButton kRequestButtons[] = {
    {&MainPage::ReadState, "ReadState", "Read Status", 0, 0, &MainPage::ReadStateClick, "GETST", "GETST"},
    {&MainPage::ReadAnalog, "ReadAnalog", "Read Analog", 0, 1, &MainPage::ReadAnalogClick, "GETAN", "GETAN"},
    {&MainPage::ReadTemperature, "ReadTemperature", "Temperature", 0, 2, &MainPage::ReadTemperatureClick,
     "GETTC", "GETTC"},
    {&MainPage::ReadTH, "ReadTH", "Temp., Humidity", 0, 3, &MainPage::ReadTHClick, "GETTH", "GETTH"},
    {&MainPage::ReadAlevelBtn, "ReadAlevelBtn", "Analog Level", 0, 4, &MainPage::ReadAlevelBtnClick, "ANLEV0",
     "ANLEV0"},
    {&MainPage::ReadRT, "ReadRT", "Runtime", 0, 5, &MainPage::ReadRTClick, "GETRT", "GETRT"},
    {&MainPage::Version, "Version", "Version number", 1, 0, &MainPage::VersionClick, "  GETVR", "GETVR"},
    {&MainPage::TemperatureLevelBtn, "TemperatureLevelBtn", "Temp.Level", 1, 1,
     &MainPage::TemperatureLevelBtnClick, "TCLEV0", "TCLEV0"},
    {&MainPage::COUNTERS, "COUNTERS", "Read Counters", 1, 2, &MainPage::COUNTERSClick, "GETCT", "GETCT"},
    {&MainPage::RestartModule, "RestartModule", "Restart KT4470 / KTM447QD", 1, 3,
     &MainPage::RestartModuleClick, "RSTRT", "RSTRT"},
    {&MainPage::GetDT, "GetDT", "Get Date/Time", 1, 4, &MainPage::GetDTClick},
    {&MainPage::SetDT, "SetDT", "Set Date/Time", 1, 5, &MainPage::SetDTClick},
    {&MainPage::Squality, "Squality", "Signal Quality", 2, 0, &MainPage::SqualityClick},
    {&MainPage::ATcmdOpen, "ATcmdOpen", kAtEnable, 2, 1, &MainPage::ATcmdOpenClick},
    {&MainPage::GSMbandOpen, "GSMbandOpen", kBandEnable, 2, 2, &MainPage::GSMbandOpenClick},
};

const RequestButton& RequestOf(void (MainPage::*handler)()) {
    for (const auto& b : kRequestButtons)
        if (b.handler == handler) return b;
    return kRequestButtons[0];
}

}  // namespace

MainPage::MainPage(PageHost& host) : Page(host, kt::protocol::PageIndex::Main) {
    auto b = Builder();
    BRnumber = b.Edit({"BRnumber", {.x = 16, .y = 30, .w = 145, .h = 21}},
                      {.text = "+359888123456", .recolour = true});
    QPalette yellow = BRnumber->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 0));
    BRnumber->setPalette(yellow);
    BRnumberLabel = b.Label({"BRnumberLabel", {.x = 16, .y = 12, .w = 120, .h = 16}},
                            {.caption = "KT4470 Number", .buddy = "BRnumber"});
    SMSmode = b.Check({"SMSmode", {.x = 176, .y = 30, .w = 97, .h = 21}},
                      {.caption = "SMS mode", .click = [this](int) { SMSmodeClick(); }});

    BuildIdentification();
    BuildRequestPanel();
    BuildHidden();
}

void MainPage::BuildIdentification() {
    GroupBox1 =
        static_cast<QGroupBox*>(Builder().Panel({"GroupBox1", {.x = 16, .y = 64, .w = 300, .h = 112}},
                                                {.group = true, .accessible = "GSM modem identification"}));
    auto b = Builder().In(GroupBox1);
    const struct {
        QLineEdit* MainPage::*edit;
        const char* name;
        const char* caption;
    } rows[] = {
        {&MainPage::Hersteller, "Hersteller", "Manufacturer"},
        {&MainPage::ModelIDCode, "ModelIDCode", "Model"},
        {&MainPage::DateTime, "DateTime", "Date/Time"},
    };
    int y = 24;
    for (const auto& r : rows) {
        QLineEdit* edit = b.Edit({r.name, {.x = 96, .y = y, .w = 196, .h = 21}}, {.readOnly = true});
        edit->setFrame(false);
        b.Label({std::string(r.name) + "Label", {.x = 8, .y = y + 2, .w = 84, .h = 16}},
                {.caption = r.caption, .buddy = r.name});
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
    host_.Controls().Add(Memo5);
}

void MainPage::BuildRequestPanel() {
    ATcommand = Builder().Panel({"ATcommand", {.x = 326, .y = 8, .w = 520, .h = 366}});
    auto b = Builder().In(ATcommand);
    for (const auto& r : kRequestButtons) {
        this->*r.member = b.Button(
            {r.name,
             {.x = 8 + r.column * kButtonStep, .y = 8 + r.row * 30, .w = kButtonWidth, .h = kButtonHeight}},
            {.caption = r.caption, .click = [this, h = r.handler](int) { (this->*h)(); }});
    }
    ReadTH->setEnabled(false);
    TemperatureLevelBtn->setEnabled(false);
    ReadRT->hide();  // shown only for the alternate module
    GSMbandOpen->hide();

    BuildPanelAT();
    BuildPanelBand();
}

void MainPage::BuildPanelAT() {
    PanelAT = Builder().In(ATcommand).Panel({"PanelAT", {.x = 8, .y = 192, .w = 496, .h = 166}});
    auto b = Builder().In(PanelAT);
    ATcmd = b.Edit({"ATcmd", {.x = 8, .y = 26, .w = 300, .h = 21}}, {.text = "AT"});
    b.Label({"ATcmdLabel", {.x = 8, .y = 8, .w = 120, .h = 16}}, {.caption = "AT command", .buddy = "ATcmd"});
    SendAT = b.Button(
        {"SendAT", {.x = 316, .y = 24, .w = 75, .h = kButtonHeight}},
        {.caption = "Send", .accessible = "Send AT command", .click = [this](int) { SendATClick(); }});
    ctrlZbtn = b.Button(
        {"ctrlZbtn", {.x = 400, .y = 24, .w = 75, .h = kButtonHeight}},
        {.caption = "CtrlZ", .accessible = "Send Ctrl-Z", .click = [this](int) { ctrlZbtnClick(); }});
    ctrlZbtn->hide();
}

void MainPage::BuildPanelBand() {
    PanelBand = Builder().In(ATcommand).Panel({"PanelBand", {.x = 8, .y = 192, .w = 496, .h = 166}});
    auto b = Builder().In(PanelBand);
    b.Label({"BandTitle", {.x = 8, .y = 6, .w = 120, .h = 16}}, {.caption = "GSM band"});
    const auto buttons =
        b.Buttons({"band%1", 0, 3, {.x = 8, .y = 26, .w = 25, .h = 23, .dy = 28}},
                  {.caption = "%1",
                   .accessible = [](int n) { return QString("Set GSM band ") + kBandTexts[n]; },
                   .click = [this](int n) { bandClick(n); }});
    const auto labels =
        b.Labels({"BandLabel%1", 0, 3, {.x = 40, .y = 30, .w = 220, .h = 16, .dy = 28}},
                 {.caption = [](int n) { return QString(kBandTexts[n]); }, .buddy = "band%1"});
    for (int i = 0; i < 4; ++i) {
        band[i] = buttons[static_cast<size_t>(i)];
        BandLabel[i] = labels[static_cast<size_t>(i)];
    }
    SupportedBand = b.Button({"SupportedBand", {.x = 300, .y = 26, .w = 120, .h = kButtonHeight}},
                             {.caption = "Supported Band", .click = [this](int) { SupportedBandClick(); }});
    CurrentBand = b.Button({"CurrentBand", {.x = 300, .y = 56, .w = 120, .h = kButtonHeight}},
                           {.caption = "Current Band", .click = [this](int) { CurrentBandClick(); }});
}

void MainPage::BuildHidden() {
    auto b = Builder();
    TimeZone = b.Edit({"TimeZone", {.x = 16, .y = 192, .w = 40, .h = 21}}, {.text = "+02", .maxLength = 3});
    TimeZone->hide();
    Label42 = b.Label({"Label42", {.x = 64, .y = 194, .w = 80, .h = 16}},
                      {.caption = "Time Zone", .buddy = "TimeZone"});
    Label42->hide();
    SyncModem = b.Button({"SyncModem", {.x = 16, .y = 220, .w = 200, .h = kButtonHeight}},
                         {.caption = "Synchronize Modem Time", .tip = kSyncModemHint, .click = [this](int) {
                              SyncModemClick();
                          }});
    SyncModem->hide();
    DeleteSMS = b.Check({"DeleteSMS", {.x = 16, .y = 252, .w = 200, .h = 21}},
                        {.caption = "Delete incoming SMS enable", .checked = true});
    DeleteSMS->hide();
}

// ---- module requests ----------------------------------------------------------------

// The request of the button whose handler this is: its row's command and display text.
void MainPage::ModuleRequest(void (MainPage::*handler)()) {
    const RequestButton& r = RequestOf(handler);
    Run({Step::Clear, Step::RawModeOff, Step::Send, Step::Display}, r.command, r.display);
}

void MainPage::ReadStateClick() {
    ModuleRequest(&MainPage::ReadStateClick);
}
void MainPage::ReadAnalogClick() {
    ModuleRequest(&MainPage::ReadAnalogClick);
}
void MainPage::ReadTemperatureClick() {
    ModuleRequest(&MainPage::ReadTemperatureClick);
}
void MainPage::ReadTHClick() {
    ModuleRequest(&MainPage::ReadTHClick);
}
void MainPage::ReadAlevelBtnClick() {
    ModuleRequest(&MainPage::ReadAlevelBtnClick);
}
void MainPage::ReadRTClick() {
    ModuleRequest(&MainPage::ReadRTClick);
}
void MainPage::VersionClick() {
    ModuleRequest(&MainPage::VersionClick);
}
void MainPage::TemperatureLevelBtnClick() {
    ModuleRequest(&MainPage::TemperatureLevelBtnClick);
}
void MainPage::COUNTERSClick() {
    ModuleRequest(&MainPage::COUNTERSClick);
}
void MainPage::RestartModuleClick() {
    ModuleRequest(&MainPage::RestartModuleClick);
}

// The clock operations live in the engine: in SMS mode two of them talk to
// the modem itself.
void MainPage::GetDTClick() {
    Engine().GetDTClick();
}
void MainPage::SetDTClick() {
    Engine().SetDTClick();
}
void MainPage::SyncModemClick() {
    Engine().SyncModemClick();
}

// ---- pass-through AT commands ------------------------------------------------------------

void MainPage::SqualityClick() {
    PassThrough("  AT+CSQ", true);
}
void MainPage::bandClick(int n) {
    PassThrough("  AT#BND=" + std::to_string(n), true);
}
void MainPage::SupportedBandClick() {
    PassThrough("  AT#BND=?", true);
}
void MainPage::CurrentBandClick() {
    PassThrough("  AT#BND?", true);
}

void MainPage::SendATClick() {
    // The reply memo is emptied before the "Skip CR/LF" state is saved, too.
    host_.Window().SetMemoText(Memo::SmsInput, "");
    PassThrough("  " + ToBytes(ATcmd->text()), false);
}

void MainPage::ctrlZbtnClick() {
    PassThrough("\x1A", false);
    host_.Window().SetBusyCursor(false);
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
    Engine().SmsModeActive = SMSmode->isChecked();
    // The modem identification shows only in SMS mode.
    Memo5->setVisible(!SMSmode->isChecked());
    // The monitor line shows only in direct mode, as start-up leaves it, so
    // switching back to direct mode at run time brings it back.
    if (QWidget* monitor = Control("MemoS")) monitor->setVisible(!SMSmode->isChecked());
}

void MainPage::ApplyAlternateModule(bool on, AlternateRow row) {
    if (row == AlternateRow::Shown) ReadRT->setVisible(on);
}

void MainPage::AddSettings(SettingsTable& t) {
    t.Load({6}, "BRnumber <- ModuleNumber, then ModuleNumberCopy", [this](kt::config::ConfigRecord& c) {
        BRnumber->setText(FromBytes(c.ModuleNumber()));
        BRnumber->setText(FromBytes(c.ModuleNumberCopy()));
    });
    t.Save({3}, "ModuleNumber, ModuleNumberCopy <- BRnumber",
           {FieldId::ModuleNumber, FieldId::ModuleNumberCopy}, [this](kt::config::ConfigRecord& c) {
               const std::string number = ToBytes(BRnumber->text());
               c.SetModuleNumber(number);
               c.SetModuleNumberCopy(number);
           });
    // Step 10: the deletion switch and the mode, each followed by its working copy.
    t.Values({10, 1}, {9, 1}, "DeleteSMS", FieldId::DeleteSms);
    t.Load({10, 2}, "DeleteIncoming <- DeleteSMS",
           [this](kt::config::ConfigRecord&) { Engine().DeleteIncoming = DeleteSMS->isChecked(); });
    t.Values({10, 3}, {9, 2}, "SMSmode", FieldId::SmsModeOn);
    t.Load({10, 4}, "SmsModeActive <- SMSmode; MemoS hidden in SMS mode", [this](kt::config::ConfigRecord&) {
        Engine().SmsModeActive = SMSmode->isChecked();
        if (QWidget* monitor = Control("MemoS")) monitor->setVisible(!Engine().SmsModeActive);
    });
}

}  // namespace kt::app
