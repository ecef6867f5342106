#include "app/Form1.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QShortcut>
#include <QShowEvent>
#include <QTabBar>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/ModuleSettingsOf.h"
#include "app/ProvisioningRun.h"
#include "app/SerialPortPage.h"
#include "app/TrafficView.h"
#include "config/PortBindings.h"
#include "config/SettingsFile.h"
#include "pages/AbonentsPage.h"
#include "pages/Analog1to8Page.h"
#include "pages/Analog9to16Page.h"
#include "pages/GprsFtpPage.h"
#include "pages/IOControlPage.h"
#include "pages/MainPage.h"
#include "pages/OtherPage.h"
#include "pages/SmsSchedulePage.h"
#include "pages/TempCounterPage.h"
#include "pages/TextSlotsPage.h"
#include "serial/PortText.h"
#include "serial/SerialBackend.h"
#include "traffic/SessionLogs.h"
#include "version/Version.h"

namespace kt::app {

using kt::protocol::Memo;
using kt::protocol::MsgIcon;
using kt::protocol::Rgb;
using namespace kt::serial;

// ---- QtPollTimer ---------------------------------------------------------------

QtPollTimer::QtPollTimer(bool manual) : manual_(manual) {}

void QtPollTimer::Start(unsigned periodMs) {
    running_ = true;
    period_ = periodMs;
    if (!manual_) timer_.start(static_cast<int>(periodMs));
}

void QtPollTimer::Stop() {
    running_ = false;
    timer_.stop();
}

// ---- construction ------------------------------------------------------------------

TForm1::TForm1(FormOptions options, QWidget* parent)
    : QMainWindow(parent),
      pollTimer_(options.manualTimers),
      workDir_(options.workDir.empty() ? std::filesystem::path(".") : options.workDir),
      showMessage_(std::move(options.showMessage)),
      ask_(std::move(options.ask)),
      chooseFile_(std::move(options.chooseFile)),
      settingsFile_(std::move(options.settingsFile)),
      portBindingsFile_(options.portBindingsFile.empty() ? kt::config::PortBindingsFile()
                                                         : std::move(options.portBindingsFile)),
      deviceRoot_(options.deviceRoot.empty() ? "/" : std::move(options.deviceRoot)),
      answerRule_(options.answerRule),
      smsTimes_(options.smsTimes) {
    if (options.clock) {
        clock_ = options.clock;
    } else {
        ownClock_ = std::make_unique<kt::protocol::SystemClock>();
        clock_ = ownClock_.get();
    }
    engine_ = std::make_unique<kt::protocol::ProtocolEngine>(CommPortDriver1, *this, *clock_);

    setObjectName("Form1");
    setWindowTitle(kApplicationTitle);
    BuildWindow();
    BuildMenus();
    ConnectTwins();
    settings_ = std::make_unique<SettingsTable>(registry_);
    AddSettings(*settings_);
    for (Page* page : pages_)
        page->AddSettings(*settings_);

    // Every byte on the line from the first open on.
    CommPortDriver1.SetTrafficTap(&Traffic);

    // The port component as the window defines it, before InitPort first runs.
    auto& d = CommPortDriver1;
    d.SetPort(pnCustom);
    d.SetPortName(PortChoice(1).device);
    d.SetHwFlow(hfNONE);
    d.SetInBufSize(8192);
    d.SetOutBufSize(8192);
    d.SetPacketMode(pmPass);
    d.SetPollingDelay(5000);
    d.SetEnableDTROnOpen(false);
    d.SetOutputTimeout(200);
    d.OnReceiveData = [this](TCommPortDriver* sender, const void* bytes, uint32_t size) {
        engine_->CommPortDriver1ReceiveData(sender, bytes, size);
        if (provisioning_) provisioning_->Received(bytes, size);
    };
    d.OnReceivePacket = d.OnReceiveData;
    d.OnLineLost = [this](TCommPortDriver* sender, const std::string& reason) {
        ShowPortState(LineLostText(*sender, reason, serialPage->RadioGroupPort->ItemIndex() + 1));
    };
    QObject::connect(&pollTimer_.Timer(), &QTimer::timeout, this, [this] { PollPort(); });

    Timer1.setInterval(1000);
    QObject::connect(&Timer1, &QTimer::timeout, this, [this] { Tick(); });

    FormCreate();
    // The session log starts once the port is set up as the settings want it,
    // so that its header names that port; what came before is in the ring
    // and goes into the file after the header.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    if (!kt::traffic::StartSessionLog(Traffic, kt::traffic::SessionLogFolder(),
                                      std::chrono::duration_cast<std::chrono::microseconds>(now).count(),
                                      &sessionLogError_))
        std::fprintf(stderr, "kt4470: no session log: %s\n", sessionLogError_.c_str());
    if (!options.manualTimers) Timer1.start();
}

TForm1::~TForm1() {
    delete provisioning_;
    provisioning_ = nullptr;
    delete trafficView_;  // before the recorder it shows
    trafficView_ = nullptr;
    Timer1.stop();
    CommPortDriver1.OnReceiveData = nullptr;
    CommPortDriver1.OnReceivePacket = nullptr;
    CommPortDriver1.OnLineLost = nullptr;
    CommPortDriver1.ClosePort();
    SetBusyCursor(false);
}

void TForm1::BuildWindow() {
    resize(881, 703);
    move(20, 16);
    // The pages are laid out for a small 8 point face.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    ClientArea = new QScrollArea(this);
    ClientArea->setObjectName("ClientArea");
    ClientArea->setAccessibleName("Window content");
    ClientArea->setFrameShape(QFrame::NoFrame);
    ClientArea->setWidgetResizable(true);
    auto* central = new QWidget;
    central->setObjectName("Form1Client");
    ClientArea->setWidget(central);
    setCentralWidget(ClientArea);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(12, 0, 853, 409);
    PageControl1->setAccessibleName("Pages");
    // All 13 tabs in one row at the start size: narrow tab padding instead
    // of scroll arrows that would hide the last pages.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setStyleSheet("QTabBar::tab { padding: 3px 3px; }");

    mainPage = new MainPage(*this);
    serialPage = new SerialPortPage(*this);
    pages_ = {
        mainPage,
        new AbonentsPage(*this),
        new TextSlotsPage(*this, kt::protocol::PageIndex::ExternalSms),
        new TextSlotsPage(*this, kt::protocol::PageIndex::IntExtSms),
        new TextSlotsPage(*this, kt::protocol::PageIndex::IOname),
        new Analog1to8Page(*this),
        new TempCounterPage(*this),
        new SmsSchedulePage(*this),
        new IOControlPage(*this),
        new OtherPage(*this),
        new GprsFtpPage(*this),
        serialPage,
        new Analog9to16Page(*this),
    };
    for (const auto& info : kt::protocol::kPages) {
        Page* page = PageAt(info.index);
        Q_ASSERT(page->Index() == info.index);
        PageControl1->addTab(page, info.caption);
    }
    PageControl1->setCurrentIndex(0);
    serialPage->RefreshDevices();
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    MemoSMSinput = new TMemo("MemoSMSinput", central);
    registry_.Add(MemoSMSinput, true);
    // Its lower edge meets the monitor line's upper one.
    MemoSMSinput->setGeometry(8, 416, 761, 176);
    MemoSMSinput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoSMSinput->setFocusPolicy(Qt::ClickFocus);
    MemoSMSinput->setAccessibleName("Replies");

    MemoS = new TMemo("MemoS", central);
    registry_.Add(MemoS);
    MemoS->setGeometry(8, 592, 761, 25);
    MemoS->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoS->setAccessibleName("Last command sent");
    // The program writes it; the operator reads and copies it, and Tab moves on.
    MemoS->setReadOnly(true);
    MemoS->setTabChangesFocus(true);
    MemoSMSinput->setTabChangesFocus(true);

    Status = new QLineEdit(kt::protocol::kDirectModeStatus, central);
    Status->setObjectName("Status");
    // Wider and taller than the classic 66 x 14 so that "Setting Mode" fits
    // the desktop's faces; centred over the buttons below it.
    Status->setGeometry(774, 412, 84, 20);
    Status->setReadOnly(true);
    Status->setCursorPosition(0);  // show the start of the text where it is wider than the field
    Status->setAccessibleName("Status");
    registry_.Add(Status);

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        int top;
        void (TForm1::*handler)();
    } buttons[] = {
        {&ConnectBtn, "ConnectBtn", "Connect", 440, &TForm1::ConnectBtnClick},
        {&TestBtn, "TestBtn", "Test", 468, &TForm1::TestBtnClick},
        {&ClearBtn, "ClearBtn", "Clear", 496, &TForm1::ClearBtnClick},
        {&ExitBtn, "ExitBtn", "Exit", 590, &TForm1::ExitBtnClick},
    };
    for (const auto& b : buttons) {
        *b.button = new QPushButton(b.caption, central);
        (*b.button)->setObjectName(b.name);
        (*b.button)->setGeometry(780, b.top, 72, 25);
        connect(*b.button, &QPushButton::clicked, this, [this, h = b.handler] { (this->*h)(); });
        registry_.Add(*b.button);
        registry_.AddHandler(std::string(b.name) + "Click", [this, h = b.handler] { (this->*h)(); });
    }

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setAccessibleName("Port state");
    setStatusBar(StatusBar1);
    FitClientArea();

    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages wherever the focus is.
    const auto turn = [this](int step) {
        const int n = PageControl1->count();
        PageControl1->setCurrentIndex((PageControl1->currentIndex() + step + n) % n);
    };
    const struct {
        QKeyCombination keys;
        int step;
    } turns[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
    };
    for (const auto& t : turns) {
        auto* shortcut = new QShortcut(QKeySequence(t.keys), this);
        connect(shortcut, &QShortcut::activated, this, [turn, step = t.step] { turn(step); });
    }
}

void TForm1::FitClientArea() {
    QWidget* client = ClientArea->widget();
    QRect used;
    for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        used |= w->geometry();
    constexpr int kMargin = 4;
    client->setMinimumSize(used.right() + 1 + kMargin, used.bottom() + 1 + kMargin);
}

namespace {

// The mnemonic letter of a caption ("&File" gives 'f'), or none.
QChar MnemonicOf(const QString& text) {
    for (qsizetype i = text.indexOf('&'); i >= 0 && i + 1 < text.size(); i = text.indexOf('&', i + 2))
        if (text[i + 1] != '&') return text[i + 1].toLower();
    return {};
}

// Gives every item of a menu (or of the menu bar) that has no mnemonic the
// first letter of one of its words that no other item uses, else any free
// letter. Items keep the mnemonics they have; items added later get theirs
// when the menu next opens.
void GiveMnemonics(QWidget* menu) {
    const QList<QAction*> actions = menu->actions();
    QSet<QChar> taken;
    for (QAction* a : actions)
        if (const QChar c = MnemonicOf(a->text()); !c.isNull()) taken.insert(c);
    for (QAction* a : actions) {
        const QString text = a->text();
        if (a->isSeparator() || text.isEmpty() || !MnemonicOf(text).isNull()) continue;
        const auto free = [&](qsizetype i) {
            return text[i].isLetterOrNumber() && !taken.contains(text[i].toLower());
        };
        qsizetype at = -1;
        for (qsizetype i = 0; i < text.size() && at < 0; ++i)
            if (free(i) && (i == 0 || !text[i - 1].isLetterOrNumber())) at = i;
        for (qsizetype i = 0; i < text.size() && at < 0; ++i)
            if (free(i)) at = i;
        if (at < 0) continue;
        taken.insert(text[at].toLower());
        a->setText(QString(text).insert(at, '&'));
    }
}

}  // namespace

void TForm1::BuildMenus() {
    auto* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto* file = bar->addMenu("&File");
    file->setObjectName("File1");
    fileMenu_ = file;
    OpenSettings1 = file->addAction("Open Settings...");
    OpenSettings1->setObjectName("OpenSettings1");
    OpenSettings1->setShortcut(QKeySequence::Open);
    connect(OpenSettings1, &QAction::triggered, this, [this] { OpenSettings1Click(); });
    registry_.AddHandler("OpenSettings1Click", [this] { OpenSettings1Click(); });
    SaveSettingsAs1 = file->addAction("Save Settings As...");
    SaveSettingsAs1->setObjectName("SaveSettingsAs1");
    SaveSettingsAs1->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    connect(SaveSettingsAs1, &QAction::triggered, this, [this] { SaveSettingsAs1Click(); });
    registry_.AddHandler("SaveSettingsAs1Click", [this] { SaveSettingsAs1Click(); });
    file->addSeparator();
    // The recent files go here, before this separator (UpdateRecentMenu).
    recentEnd_ = file->addSeparator();
    About1 = file->addAction("About");
    About1->setObjectName("About1");
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    registry_.AddHandler("About1Click", [this] { About1Click(); });
    file->addSeparator();
    Exit1 = file->addAction("Exit");
    Exit1->setObjectName("Exit1");
    Exit1->setShortcut(Qt::CTRL | Qt::Key_Q);
    connect(Exit1, &QAction::triggered, this, [this] { ExitBtnClick(); });
    registry_.AddHandler("Exit1Click", [this] { ExitBtnClick(); });

    auto* option = bar->addMenu("&Option");
    option->setObjectName("Option1");
    KTM447QD1 = option->addAction("KTM447QD-RT");
    KTM447QD1->setObjectName("KTM447QD1");
    KTM447QD1->setCheckable(true);
    KTM447QD1->setVisible(false);
    // The action checks itself before `triggered`; the handler sets the mark
    // from the stored option it flips.
    connect(KTM447QD1, &QAction::triggered, this, [this] { KTM447QD1Click(); });
    registry_.AddHandler("KTM447QD1Click", [this] { KTM447QD1Click(); });
    SaveSetting1 = option->addAction("Save Setting");
    SaveSetting1->setObjectName("SaveSetting1");
    SaveSetting1->setShortcut(Qt::CTRL | Qt::Key_S);
    connect(SaveSetting1, &QAction::triggered, this, [this] { SaveSetting1Click(); });
    registry_.AddHandler("SaveSetting1Click", [this] { SaveSetting1Click(); });

    const struct {
        QAction** action;
        const char* name;
        const char* caption;
        void (TForm1::*handler)();
    } runs[] = {
        {&WriteAllSettings1, "WriteAllSettings1", "Write All Settings to Module...",
         &TForm1::WriteAllSettings1Click},
        {&WriteChanges1, "WriteChanges1", "Write Changes to Module...", &TForm1::WriteChanges1Click},
        {&VerifyModule1, "VerifyModule1", "Verify Module...", &TForm1::VerifyModule1Click},
        {&ReadSettings1, "ReadSettings1", "Read Settings from Module...", &TForm1::ReadSettings1Click},
    };
    for (const auto& r : runs) {
        *r.action = option->addAction(r.caption);
        (*r.action)->setObjectName(r.name);
        connect(*r.action, &QAction::triggered, this, [this, h = r.handler] { (this->*h)(); });
        registry_.AddHandler(std::string(r.name) + "Click", [this, h = r.handler] { (this->*h)(); });
    }
    Traffic1 = option->addAction("Traffic...");
    Traffic1->setObjectName("Traffic1");
    connect(Traffic1, &QAction::triggered, this, [this] { Traffic1Click(); });
    registry_.AddHandler("Traffic1Click", [this] { Traffic1Click(); });
    option->setToolTipsVisible(true);  // the items say why they are disabled
    connect(mainPage->SMSmode, &QCheckBox::toggled, this, [this] { UpdateModuleActions(); });
    UpdateModuleActions();

    UpdateRecentMenu();
    // Last, so that every item above has its mnemonic.
    GiveMnemonics(bar);
    for (QAction* top : bar->actions()) {
        if (QMenu* menu = top->menu()) {
            GiveMnemonics(menu);
            connect(menu, &QMenu::aboutToShow, menu, [menu] { GiveMnemonics(menu); });
        }
    }
}

void TForm1::UpdateRecentMenu() {
    for (QAction* a : RecentFile)
        delete a;
    RecentFile.clear();
    const auto& files = recent_.Files();
    for (size_t i = 0; i < files.size(); ++i) {
        QString shown = QString::fromStdString(files[i].string());
        shown.replace('&', "&&");
        auto* a = new QAction(QString("&%1 %2").arg(i + 1).arg(shown), fileMenu_);
        a->setObjectName(QString("RecentFile%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        fileMenu_->insertAction(recentEnd_, a);
        RecentFile.push_back(a);
    }
    recentEnd_->setVisible(!files.empty());
}

void TForm1::UpdateModuleActions() {
    const bool sms = SmsModeChecked();
    const std::pair<QAction*, const char*> actions[] = {
        {WriteAllSettings1, "Send every page's settings to the module, one command after another"},
        {WriteChanges1, "Send only the settings that differ from what the module was last given"},
        {VerifyModule1,
         "Ask the module for every setting it can report and list what differs from the pages"},
        {ReadSettings1, "Fill the pages with every setting the module can report"},
    };
    for (const auto& [action, tip] : actions) {
        // Writing goes by SMS too, one SMS per command; verifying and reading
        // would each be a hundred SMS.
        const bool bySms = action == WriteAllSettings1 || action == WriteChanges1;
        action->setEnabled(!sms || bySms);
        if (!sms)
            action->setToolTip(tip);
        else if (bySms)
            action->setToolTip(QString(tip) + " by SMS through the modem, one SMS per command");
        else
            action->setToolTip(
                "Not in SMS mode: every request would go as an SMS of its own; switch SMS mode "
                "off and connect the module directly");
    }
}

void TForm1::ConnectTwins() {
    MirrorTwins(registry_, {
                               {"ATimeout1SBa", "ATimeout1SB"},  // "Analog 1-8" and "Other"
                               {"TTimeout1SBt", "TTimeout1SB"},  // "Temp/Counter" and "Other"
                               {"DFilterSBd", "DFilterSB"},      // "IO control" and "Other"
                               {"SRateSB", "eSRateSB"},          // "IO control" and "GPRS, FTP"
                               {"DLoggerTmSB", "eDLoggerTmSB"},
                           });
}

// ---- start-up --------------------------------------------------------------------------

void TForm1::FormCreate() {
    auto& e = *engine_;
    InitPort();
    for (const char* panel : {"PanelAT", "PanelBand"}) {
        if (QWidget* w = registry_.Find(panel)) w->hide();
    }
    e.RawMode = false;
    e.SkipCRLFSaved = serialPage->SkipCRLFcb->isChecked();
    // A file named at start is one the operator chose: it joins the recent files.
    if (ReadCFGFile() && !settingsFile_.empty()) Remember(settingsFile_);
    StartWithRecord();
}

void TForm1::StartWithRecord() {
    auto& e = *engine_;
    settings_->RunLoad(Config);
    SetWriteBaseline();  // what "Write Changes" compares with: the file just loaded
    savedImage_ = SaveImage();
    e.ResetState();
    SetBusyCursor(false);
    e.ReadAllParameterClick();
    e.RawMode = false;
    e.LastReply.clear();
    e.ReplyToShow = false;
    PageControl1Change();
    UpdateTitle();
}

std::filesystem::path TForm1::SettingsPath() const {
    return settingsFile_.empty() ? workDir_ / kSettingsFileName : settingsFile_;
}

void TForm1::UpdateTitle() {
    const QString name = QString::fromStdString(SettingsPath().filename().string());
    setWindowTitle(QString("%1 - %2").arg(name, kApplicationTitle));
}

void TForm1::Remember(const std::filesystem::path& file) {
    std::string error;
    if (!recent_.Add(file, &error)) StatusBar1->showMessage(FromBytes("Recent files not kept: " + error));
    UpdateRecentMenu();
}

kt::config::ConfigRecord::Image TForm1::SaveImage() const {
    kt::config::ConfigRecord image = Config;
    settings_->FillRecord(image);
    return image.Bytes();
}

bool TForm1::PagesDiffer() const {
    return SaveImage() != savedImage_;
}

namespace {
// Settings-file failures show as warning boxes of the window.
kt::config::Reporter WarningBoxes(TForm1& form) {
    return [&form](const std::string& text, const std::string& caption) {
        form.ShowMessage(text, caption, MsgIcon::Warning);
    };
}
}  // namespace

bool TForm1::ReadCFGFile() {
    const bool read = kt::config::ReadCFGFile(SettingsPath().string(), Config, WarningBoxes(*this));
    const auto& bytes = Config.Bytes();
    blankSettings_ = !read || std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0; });
    return read;
}

bool TForm1::SaveCFGFile() {
    return SaveTo(SettingsPath());
}

bool TForm1::SaveTo(const std::filesystem::path& file, std::string* failure) {
    settings_->RunSave(Config);
    const kt::config::Reporter report =
        failure ? kt::config::Reporter(
                      [failure](const std::string& text, const std::string&) { *failure = text; })
                : WarningBoxes(*this);
    if (!kt::config::WriteCFGFile(file.string(), Config, report)) return false;
    savedImage_ = Config.Bytes();
    if (file != SettingsPath()) settingsFile_ = file;
    UpdateTitle();
    StatusBar1->showMessage(FromBytes("Settings saved to " + file.string()));
    return true;
}

bool TForm1::OpenSettingsFile(const std::filesystem::path& file) {
    const std::filesystem::path before = settingsFile_;
    const bool blank = blankSettings_;
    settingsFile_ = file;
    if (!ReadCFGFile()) {
        settingsFile_ = before;
        blankSettings_ = blank;
        return false;
    }
    StartWithRecord();
    Remember(file);
    StatusBar1->showMessage(FromBytes("Settings loaded from " + file.string()));
    return true;
}

bool TForm1::SettleChanges(const std::string& what) {
    if (!PagesDiffer()) return true;
    const std::string name = SettingsPath().filename().string();
    const Answer a =
        Ask({.text = "The pages hold changes that are not in " + name + ".\r\nSave them before " + what + "?",
             .caption = kApplicationTitle,
             .buttons = {Answer::Save, Answer::Discard, Answer::Cancel},
             .defaultButton = Answer::Save});
    if (a == Answer::Discard) return true;
    if (a != Answer::Save) return false;
    return SaveCFGFile();
}

// ---- serial port ---------------------------------------------------------------------------

void TForm1::InitPort() {
    auto& d = CommPortDriver1;
    d.ClosePort();
    d.SetDataBits(db8BITS);
    d.SetParity(serialPage->ParityEven->isChecked() ? ptEVEN : ptNONE);
    d.SetStopBits(sb1BITS);
    d.SetHwFlow(hfNONE);
    d.SetSwFlow(sfNONE);
    d.SetEnableDTROnOpen(false);
    d.SetCheckLineStatus(false);

    // A group with no entry selected (a negative stored index) keeps the
    // port or rate the driver already has.
    const int port = serialPage->RadioGroupPort->ItemIndex();
    if (port >= 0) {
        const int n = port + 1;
        const std::string device = PortChoice(n).device;
        d.SetPort(static_cast<TPortNumber>(n));
        // The driver names the entry in the process's working directory
        // without the user's binding: the name is set where it differs.
        if (d.PortName() != device) d.SetPortName(device);
    }
    const int rate = serialPage->RadioGroupRate->ItemIndex();
    if (rate >= 0) {
        d.SetBaudRateValue(kRateEntries[rate].rate);
        d.SetBaudRate(static_cast<TBaudRate>(kRateEntries[rate].baudRate));
    }

    const bool open = d.OpenPort();
    serialPage->ShowDevices();
    const int entry = port + 1;
    std::string text = open ? OpenPortText(d, entry) : OpenFailureText(d, entry);
    // Say how to reach another device, where no link of the operator's decides.
    if (!open && port >= 0 && d.LastOpenError() == OpenError::NoSuchDevice &&
        PortChoice(entry).rule != PortRule::Link)
        text += "; choose the device of Com" + std::to_string(entry) +
                " under \"Devices\" on the \"Serial Port\" page";
    ShowPortState(text);
}

void TForm1::ShowPortState(const std::string& text) {
    portState_ = text;
    StatusBar1->showMessage(FromBytes(text));
}

kt::config::PortBindings TForm1::Bindings() const {
    return kt::config::PortBindings::Load(portBindingsFile_);
}

ComPortChoice TForm1::PortChoice(int n, const kt::config::PortBindings& bindings) const {
    return ResolveComPort(n, workDir_.string(), bindings.Device(n));
}

ComPortChoice TForm1::PortChoice(int n) const {
    return PortChoice(n, Bindings());
}

bool TForm1::BindPort(int n, const std::string& device) {
    std::string error;
    const std::string com = "Com" + std::to_string(n);
    if (!kt::config::BindPortInFile(portBindingsFile_, n, device, &error)) {
        StatusBar1->showMessage(FromBytes(com + ": the binding was not kept: " + error));
        return false;
    }
    if (serialPage->RadioGroupPort->ItemIndex() + 1 == n) {
        // Nothing under way on the old device can be answered on the new one.
        EndModemExchange();
        InitPort();
    } else {
        serialPage->ShowDevices();
    }
    const std::string done = device.empty() ? com + " is no longer bound for this user"
                                            : com + " is bound for this user to " + device;
    const ComPortChoice now = PortChoice(n);
    const std::string after = now.rule == PortRule::Link ? "; the link COM" + std::to_string(n) +
                                                               " in the working folder still wins over it"
                                                         : "";
    StatusBar1->showMessage(FromBytes(done + after) + " (" + FromBytes(portBindingsFile_.string()) + "); " +
                            StatusBar1->currentMessage());
    return true;
}

void TForm1::EndModemExchange() {
    auto& e = *engine_;
    e.ModemBusy = e.SmsOutgoing = e.AwaitPrompt = e.PduSent = e.AwaitSendResult = false;
    e.InboxPollHold = e.InboxPolling = false;
    e.PendingPdu.clear();
    e.PendingPduLength = 0;
    SetBusyCursor(false);
}

// ---- handlers ------------------------------------------------------------------------------------

void TForm1::PageControl1Change() {
    // The common entry colour undoes the marks some pages give their edits
    // after sending.
    const QColor ivory(255, 255, 245);
    for (QWidget* w : registry_.Recoloured()) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ivory);
        w->setPalette(p);
    }
}

void TForm1::Clear() {
    engine_->Clear();
}

void TForm1::ClearBtnClick() {
    SetSkipCrLfChecked(engine_->SkipCRLFSaved);
    SetBusyCursor(false);
    MemoSMSinput->ClearLines();
}

void TForm1::ConnectBtnClick() {
    MemoSMSinput->ClearLines();
    MemoS->ClearLines();
    engine_->SendSMS("  OK");
}

void TForm1::TestBtnClick() {
    engine_->SendSMS("  +EXIT");
}

void TForm1::ExitBtnClick() {
    close();
}

std::string AboutText() {
    return std::string(kApplicationTitle) + " terminal\nVersion " + kt::Version() +
           "\n\n"
           "Configures and services the KT4470QD25E GSM telemetry module over a serial line or by SMS "
           "through a GSM modem.\n\n"
           "Copyright (C) 2026 the KT4470 terminal developers.\n"
           "This program is free software: you can redistribute it and/or modify it under the terms of the " +
           kLicenceName +
           " as published by the Free Software Foundation. It comes with ABSOLUTELY NO WARRANTY. The "
           "licence text is the file LICENSE of the sources and of the installed documentation "
           "(share/doc/kt4470).";
}

void TForm1::About1Click() {
    ShowMessage(AboutText(), std::string("About ") + kApplicationTitle, MsgIcon::Information);
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool close = true;
    if (serialPage->SaveSettingAfterExitCB->isChecked()) {
        std::string failure;
        if (!SaveTo(SettingsPath(), &failure)) {
            // The settings of this run would be lost: the operator decides.
            close = Ask({.text = failure + "\r\n\r\nClose without saving?",
                         .caption = kt::config::kWarningCaption,
                         .buttons = {Answer::Discard, Answer::Cancel},
                         .defaultButton = Answer::Cancel}) == Answer::Discard;
        }
    } else {
        close = SettleChanges("closing");
    }
    if (!close) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::SaveSetting1Click() {
    SaveCFGFile();
}

void TForm1::Traffic1Click() {
    if (!trafficView_) trafficView_ = new TrafficView(*this, Traffic, this);
    trafficView_->show();
    trafficView_->raise();
    trafficView_->activateWindow();
}

namespace {
constexpr const char* kSettingsFilter = "Settings (*.cfg);;All files (*)";

// Another file must not replace the pages while a run sends what they show.
bool RunBlocksOtherFile(TForm1& form) {
    if (!form.Provisioning()) return false;
    form.StatusBar1->showMessage("No other settings file while settings are written to the module");
    return true;
}
}  // namespace

void TForm1::OpenSettings1Click() {
    if (RunBlocksOtherFile(*this)) return;
    const std::filesystem::path file =
        ChooseFile(FileDialog::Open, "Open Settings", SettingsPath().parent_path(), kSettingsFilter);
    if (file.empty() || !SettleChanges("opening another file")) return;
    OpenSettingsFile(file);
}

void TForm1::SaveSettingsAs1Click() {
    const std::filesystem::path file =
        ChooseFile(FileDialog::Save, "Save Settings As", SettingsPath(), kSettingsFilter);
    if (!file.empty() && SaveTo(file)) Remember(file);
}

void TForm1::OpenRecentFile(size_t index) {
    if (index >= recent_.Files().size()) return;
    if (RunBlocksOtherFile(*this)) return;
    const std::filesystem::path file = recent_.Files()[index];
    if (!SettleChanges("opening another file")) return;
    if (OpenSettingsFile(file)) return;
    // A file that is gone leaves the list.
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        recent_.Remove(file);
        UpdateRecentMenu();
    }
}

void TForm1::KTM447QD1Click() {
    Config.SetAlternateModule(!Config.AlternateModule());
    KTM447QD1->setChecked(Config.AlternateModule());
    ApplyAlternateModule(Config.AlternateModule());
}

void TForm1::ApplyAlternateModule(bool on) {
    for (AlternateRow row : kAlternateRows)
        for (Page* page : pages_)
            page->ApplyAlternateModule(on, row);
}

void TForm1::Tick() {
    engine_->Timer1Timer();
    Traffic.Flush();  // the session log is at most about a second behind
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    if (qEnvironmentVariableIsSet("KT4470_TRACE_STARTUP")) {
        // After the first show has been processed: the window is on screen.
        QTimer::singleShot(0, this, [] {
            std::printf("kt4470: window shown at %lld ms since the epoch\n",
                        static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
        });
    }
}

// ---- IWindow -----------------------------------------------------------------------------------------

bool TForm1::SmsModeChecked() const {
    return mainPage->SMSmode->isChecked();
}

std::string TForm1::ModuleNumber() const {
    return ToBytes(mainPage->BRnumber->text());
}

bool TForm1::SkipCrLfChecked() const {
    return serialPage->SkipCRLFcb->isChecked();
}

void TForm1::SetSkipCrLfChecked(bool checked) {
    serialPage->SkipCRLFcb->setChecked(checked);
}

int TForm1::ActivePageIndex() const {
    return PageControl1->currentIndex();
}

std::string TForm1::ControlText(const std::string& name) const {
    return TextOf(registry_.Find(name));
}

void TForm1::SetControlText(const std::string& name, const std::string& text) {
    SetTextOf(registry_.Find(name), text);
}

namespace {
TMemo* MemoOf(const TForm1& f, Memo memo) {
    return memo == Memo::SmsInput ? f.MemoSMSinput : f.MemoS;
}
}  // namespace

int TForm1::MemoLineCount(Memo memo) const {
    return MemoOf(*this, memo)->LineCount();
}
std::string TForm1::MemoLine(Memo memo, int index) const {
    return MemoOf(*this, memo)->Line(index);
}
void TForm1::SetMemoLine(Memo memo, int index, const std::string& text) {
    MemoOf(*this, memo)->SetLine(index, text);
}
void TForm1::AppendMemoLine(Memo memo, const std::string& text) {
    MemoOf(*this, memo)->AppendLine(text);
}
std::string TForm1::MemoText(Memo memo) const {
    return MemoOf(*this, memo)->Text();
}
void TForm1::SetMemoText(Memo memo, const std::string& text) {
    MemoOf(*this, memo)->SetText(text);
}

void TForm1::SetStatusColor(Rgb color) {
    QPalette p = Status->palette();
    const QColor background(color.r, color.g, color.b);
    p.setColor(QPalette::Base, background);
    // Keep the text readable on dark colours.
    p.setColor(QPalette::Text, background.lightness() < 128 ? Qt::white : Qt::black);
    Status->setPalette(p);
}

void TForm1::SetStatusText(const std::string& text) {
    Status->setText(FromBytes(text));
    Status->setToolTip(FromBytes(text));  // the whole text where the field is narrower
    Status->setCursorPosition(0);
}

void TForm1::ShowNotice(const std::string& text) {
    if (!text.empty()) {
        StatusBar1->showMessage(FromBytes(text));
        return;
    }
    // Taken back: the port's state, as the bar said it before.
    StatusBar1->showMessage(FromBytes(portState_));
}

void TForm1::SetBusyCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TForm1::ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
    if (showMessage_) {
        showMessage_(text, caption, icon);
        return;
    }
    QString shown = FromBytes(text);
    shown.replace("\r\n", "\n");
    const QMessageBox::Icon qicon = icon == MsgIcon::Error     ? QMessageBox::Critical
                                    : icon == MsgIcon::Warning ? QMessageBox::Warning
                                                               : QMessageBox::Information;
    QMessageBox box(qicon, FromBytes(caption), shown, QMessageBox::Ok, isVisible() ? this : nullptr);
    box.exec();
}

}  // namespace kt::app

namespace kt::app {

Answer TForm1::Ask(const Question& q) {
    if (ask_) return ask_(q);
    static const struct {
        Answer answer;
        QMessageBox::StandardButton button;
    } kButtons[] = {
        {Answer::Ok, QMessageBox::Ok},     {Answer::Cancel, QMessageBox::Cancel},
        {Answer::Yes, QMessageBox::Yes},   {Answer::No, QMessageBox::No},
        {Answer::Save, QMessageBox::Save}, {Answer::Discard, QMessageBox::Discard},
    };
    const auto buttonOf = [](Answer a) {
        for (const auto& b : kButtons)
            if (b.answer == a) return b.button;
        return QMessageBox::NoButton;
    };
    QMessageBox::StandardButtons buttons;
    for (Answer a : q.buttons)
        buttons |= buttonOf(a);
    QString shown = FromBytes(q.text);
    shown.replace("\r\n", "\n");
    const QMessageBox::Icon icon = q.icon == MsgIcon::Error     ? QMessageBox::Critical
                                   : q.icon == MsgIcon::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Question;
    QMessageBox box(icon, FromBytes(q.caption), shown, buttons, isVisible() ? this : nullptr);
    box.setDefaultButton(buttonOf(q.defaultButton));
    // Escape and the close box press Cancel where there is one, else the last button.
    const bool hasCancel = std::find(q.buttons.begin(), q.buttons.end(), Answer::Cancel) != q.buttons.end();
    box.setEscapeButton(buttonOf(hasCancel || q.buttons.empty() ? Answer::Cancel : q.buttons.back()));
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& b : kButtons)
        if (b.button == pressed) return b.answer;
    return Answer::Cancel;
}

std::filesystem::path TForm1::ChooseFile(FileDialog kind, const std::string& caption,
                                         const std::filesystem::path& start, const std::string& filter) {
    if (chooseFile_) return chooseFile_(kind, caption, start, filter);
    const QString dir = QString::fromStdString(start.string());
    const QString chosen =
        kind == FileDialog::Open
            ? QFileDialog::getOpenFileName(this, FromBytes(caption), dir, QString::fromStdString(filter))
            : QFileDialog::getSaveFileName(this, FromBytes(caption), dir, QString::fromStdString(filter));
    return chosen.isEmpty() ? std::filesystem::path() : std::filesystem::path(chosen.toStdString());
}

}  // namespace kt::app
