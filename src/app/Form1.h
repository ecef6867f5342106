// The main window: 13 pages, the controls shared by all pages, the menus, the
// serial port, the periodic timer, the settings record and the protocol
// engine. It is the engine's window (IWindow): memos, status field, named
// control texts, cursor and message boxes.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "config/PortBindings.h"
#include "config/RecentFiles.h"
#include "pages/ControlRegistry.h"
#include "pages/Page.h"
#include "pages/SettingsTable.h"
#include "protocol/AnswerRule.h"
#include "protocol/Engine.h"
#include "protocol/Provisioning.h"
#include "protocol/SmsExchange.h"
#include "protocol/WindowInterface.h"
#include "serial/CommPortDriver.h"
#include "serial/PortNames.h"
#include "traffic/TrafficRecorder.h"
#include "widgets/Widgets.h"

namespace kt::app {

class CommandTransport;
class MainPage;
class ProvisioningRun;
struct RunPlan;
class SerialPortPage;
class TrafficView;

// Shows one modal message box (text, caption, icon, OK).
using MessagePresenter =
    std::function<void(const std::string& text, const std::string& caption, kt::protocol::MsgIcon icon)>;

// The buttons of a question box.
enum class Answer { Ok, Cancel, Yes, No, Save, Discard };

// A modal question: the text, the caption, the buttons in the order shown,
// the one Enter presses.
struct Question {
    std::string text, caption;
    std::vector<Answer> buttons{Answer::Ok, Answer::Cancel};
    Answer defaultButton = Answer::Cancel;
    kt::protocol::MsgIcon icon = kt::protocol::MsgIcon::Warning;
};
// Asks the question; the button pressed (Cancel when the box is closed).
using QuestionPresenter = std::function<Answer(const Question&)>;

enum class FileDialog { Open, Save };
// Asks for a file to open or to save as; empty when the operator cancels.
// `filter` is a Qt name filter ("Settings (*.cfg);;All files (*)").
using FileChooser =
    std::function<std::filesystem::path(FileDialog kind, const std::string& caption,
                                        const std::filesystem::path& start, const std::string& filter)>;

// What the program takes from its surroundings; tests replace each part.
struct FormOptions {
    std::filesystem::path workDir;                // empty: the process's working directory
    const kt::protocol::IClock* clock = nullptr;  // null: the local clock
    MessagePresenter showMessage;                 // null: a modal QMessageBox
    QuestionPresenter ask;                        // null: a modal QMessageBox with the buttons
    FileChooser chooseFile;                       // null: the platform's file dialog
    std::filesystem::path settingsFile;           // empty: KT4470.cfg in the working directory
    bool manualTimers = false;                    // true: nothing ticks; call PollPort() / Tick()
    std::filesystem::path portBindingsFile;       // empty: the user's (kt::config::PortBindingsFile())
    std::string deviceRoot;                       // empty: "/"; tests give a /dev tree of their own
    // The time-out and quiet gap that decide a command's answer in the runs
    // of the Option menu (tests shorten them).
    kt::protocol::AnswerRule answerRule = kt::protocol::AnswerRule();
    // The modem's time-outs and the inbox polling of the runs in SMS mode.
    kt::protocol::SmsTimes smsTimes = kt::protocol::SmsTimes();
};

inline constexpr const char* kApplicationTitle = "KT4470QD25E";
inline constexpr const char* kSettingsFileName = "KT4470.cfg";
// The desktop entry's name without ".desktop" (the window's icon and task bar entry).
inline constexpr const char* kDesktopFileName = "org.kt4470.Terminal";

// Drives the driver's poll from a QTimer (or from nothing, for tests).
class QtPollTimer : public kt::serial::IPollTimer {
  public:
    explicit QtPollTimer(bool manual);
    void Start(unsigned periodMs) override;
    void Stop() override;
    QTimer& Timer() { return timer_; }
    bool Running() const { return running_; }
    unsigned Period() const { return period_; }

  private:
    QTimer timer_;
    bool manual_;
    bool running_ = false;
    unsigned period_ = 0;
};

// The text of "File" -> "About": program, version, licence.
std::string AboutText();

class TForm1 : public QMainWindow, public kt::protocol::IWindow, public PageHost {
    Q_OBJECT
  public:
    explicit TForm1(FormOptions options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- Handlers -----------------------------------------------------------
    void FormCreate();
    void PageControl1Change();
    void ClearBtnClick();
    void ConnectBtnClick();
    void TestBtnClick();
    // "Exit" closes the window as its close box does (see closeEvent).
    void ExitBtnClick();
    void SaveSetting1Click();
    // "File" -> "About": the version and the licence.
    void About1Click();
    // The runs of the Option menu (direct mode only; ModuleRuns.cpp). Each
    // sends its commands one by one, each answered before the next.
    // "File" > "Open Settings...": another settings file of the 4200-byte
    // layout, loaded as at start; "Save Settings As...": the window into a
    // file of the operator's choice, which becomes the window's file.
    void OpenSettings1Click();
    void SaveSettingsAs1Click();
    // One of the recent files of "File" (0 = the newest).
    void OpenRecentFile(size_t index);
    // "Write All Settings to Module...": every page's write command for what
    // the window shows, after a confirmation.
    void WriteAllSettings1Click();
    // "Write Changes to Module...": only the commands the module was not
    // given (the write baseline), after a confirmation.
    void WriteChanges1Click();
    // "Verify Module...": asks the module for every setting it can report
    // and lists in a dialog what differs from the pages.
    void VerifyModule1Click();
    // "Read Settings from Module...": the reportable controls of every page
    // filled from the module's answers.
    void ReadSettings1Click();
    // The run under way, if any.
    ProvisioningRun* Provisioning() const { return provisioning_; }
    // What the module was last given, slot by slot: the pages' commands as
    // a record was loaded into them, then each command a run wrote and the
    // module answered (not with ERROR), each setting a read or a verify found
    // the module to hold. Called once the pages hold a newly loaded record.
    void SetWriteBaseline();
    const kt::protocol::CommandBaseline& WriteBaseline() const { return writeBaseline_; }
    // The time-out and quiet gap of a command's answer in the runs.
    const kt::protocol::AnswerRule& AnswerTiming() const { return answerRule_; }
    // "Traffic...": opens (or brings to the front) the traffic view.
    void Traffic1Click();
    // The traffic view once opened, else null.
    TrafficView* TrafficWindow() const { return trafficView_; }
    // Why the session log could not be started (empty when it runs).
    const std::string& SessionLogError() const { return sessionLogError_; }
    // The "KTM447QD-RT" menu item: flips the stored alternate module option
    // and applies its layout.
    void KTM447QD1Click();
    // Applies the alternate (on) or default layout through every page.
    void ApplyAlternateModule(bool on);
    void InitPort();
    // Drops the SMS submission or modem exchange under way. Used when a
    // closed port is reopened: nothing written while it was closed can be
    // answered, and a submission waiting for the modem's prompt would hold
    // every later SMS command.
    void EndModemExchange();
    // The device of "Com n": a COMn link in the working folder, else this
    // user's binding, else the default (serial/PortNames.h, as kt4470ctl).
    kt::serial::ComPortChoice PortChoice(int n) const;
    kt::serial::ComPortChoice PortChoice(int n, const kt::config::PortBindings& bindings) const;
    kt::config::PortBindings Bindings() const;
    // Binds "Com n" to a device for this user (empty: removes the binding) and
    // reopens the port when "Com n" is selected; false with the reason shown
    // in the status bar.
    bool BindPort(int n, const std::string& device);
    const std::filesystem::path& PortBindingsPath() const { return portBindingsFile_; }
    const std::string& DeviceRoot() const { return deviceRoot_; }

    // ---- Settings file ---------------------------------------------------------
    // Reads Config from / writes it to the window's settings file; a failure
    // shows "KT4470.cfg access error" with the reason.
    bool ReadCFGFile();
    bool SaveCFGFile();
    // The window's settings file: KT4470.cfg in the working directory, the
    // file given at start or the one opened or saved as last.
    std::filesystem::path SettingsPath() const;
    // True when saving now would write something else than the settings file
    // held when it was last loaded or saved (the operator changed a page).
    bool PagesDiffer() const;
    // The settings files opened or saved last ("File" menu).
    const kt::config::RecentFiles& Recent() const { return recent_; }
    // True when the last read found no settings file, could not read it, or
    // read a record of nothing but zero bytes: the pages then hold no
    // module's values, only what an empty record loads as.
    bool BlankSettings() const { return blankSettings_; }
    const std::filesystem::path& WorkDir() const { return workDir_; }

    // ---- Timers (tests call these instead of waiting) ---------------------------
    void PollPort() { CommPortDriver1.Poll(); }
    void Tick();
    QtPollTimer& PortPollTimer() { return pollTimer_; }

    // ---- IWindow ------------------------------------------------------------------
    bool SmsModeChecked() const override;
    std::string ModuleNumber() const override;
    bool SkipCrLfChecked() const override;
    void SetSkipCrLfChecked(bool checked) override;
    int ActivePageIndex() const override;
    std::string ControlText(const std::string& name) const override;
    void SetControlText(const std::string& name, const std::string& text) override;
    int MemoLineCount(kt::protocol::Memo memo) const override;
    std::string MemoLine(kt::protocol::Memo memo, int index) const override;
    void SetMemoLine(kt::protocol::Memo memo, int index, const std::string& text) override;
    void AppendMemoLine(kt::protocol::Memo memo, const std::string& text) override;
    std::string MemoText(kt::protocol::Memo memo) const override;
    void SetMemoText(kt::protocol::Memo memo, const std::string& text) override;
    void SetStatusColor(kt::protocol::Rgb color) override;
    void SetStatusText(const std::string& text) override;
    void SetBusyCursor(bool busy) override;
    void ShowMessage(const std::string& text, const std::string& caption,
                     kt::protocol::MsgIcon icon) override;
    // The status bar; an empty text shows the port's state again.
    void ShowNotice(const std::string& text) override;
    bool RunReportsAnswers() const override { return provisioning_ != nullptr; }

    bool BusyCursor() const { return busy_; }
    // A modal question (FormOptions::ask) and a file dialog (FormOptions::chooseFile).
    Answer Ask(const Question& question);
    std::filesystem::path ChooseFile(FileDialog kind, const std::string& caption,
                                     const std::filesystem::path& start, const std::string& filter);

    // ---- PageHost ---------------------------------------------------------------------
    kt::protocol::ProtocolEngine& Engine() override { return *engine_; }
    kt::protocol::IWindow& Window() override { return *this; }
    ControlRegistry& Controls() override { return registry_; }
    kt::config::ConfigRecord& Record() override { return Config; }
    void Clear() override;

    // The pages in the order of PageControl1, and one by its index.
    const std::vector<Page*>& Pages() const { return pages_; }
    Page* PageAt(kt::protocol::PageIndex index) const { return pages_[static_cast<size_t>(index)]; }
    // The loading and saving rows of every page and of the window.
    const SettingsTable& Settings() const { return *settings_; }

    // ---- Parts ------------------------------------------------------------------------
    // Declared in construction order: the driver outlives the engine, and its
    // poll timer and its traffic recorder outlive it (the driver's last act,
    // closing the port, is recorded).
    kt::traffic::TrafficRecorder Traffic{"kt4470"};
    QtPollTimer pollTimer_;
    kt::serial::TCommPortDriver CommPortDriver1{&pollTimer_};
    kt::config::ConfigRecord Config;

    // The pages and the controls below them, scrolled where the window is
    // smaller than they are.
    QScrollArea* ClientArea = nullptr;
    QTabWidget* PageControl1 = nullptr;
    TMemo* MemoSMSinput = nullptr;
    TMemo* MemoS = nullptr;
    QLineEdit* Status = nullptr;
    QPushButton* ConnectBtn = nullptr;
    QPushButton* TestBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* ExitBtn = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QAction* About1 = nullptr;
    QAction* OpenSettings1 = nullptr;
    QAction* SaveSettingsAs1 = nullptr;
    std::vector<QAction*> RecentFile;  // one per entry of Recent()
    QAction* Exit1 = nullptr;
    QAction* KTM447QD1 = nullptr;
    QAction* SaveSetting1 = nullptr;
    QAction* WriteAllSettings1 = nullptr;
    QAction* WriteChanges1 = nullptr;
    QAction* VerifyModule1 = nullptr;
    QAction* ReadSettings1 = nullptr;
    QAction* Traffic1 = nullptr;
    QTimer Timer1;

    MainPage* mainPage = nullptr;
    SerialPortPage* serialPage = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    // The close box and "Exit": saved first when "Save Setting after Exit" is
    // ticked; otherwise changed pages are saved, discarded or kept open as
    // the operator answers. A save that fails keeps the window open unless
    // the operator chooses to discard.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildWindow();
    void BuildMenus();
    // The window as start-up leaves it once Config holds a record: the pages
    // loaded from it, the protocol engine idle, the title.
    void StartWithRecord();
    // Fills Config from the window and writes it to file; the window's file
    // becomes that file. On failure the box text (access error and reason)
    // goes to *failure when given, else into a warning box.
    bool SaveTo(const std::filesystem::path& file, std::string* failure = nullptr);
    // Loads another settings file as at start; false (nothing changed) when it
    // cannot be read.
    bool OpenSettingsFile(const std::filesystem::path& file);
    // Before the pages are closed or replaced: changed pages are saved,
    // discarded or kept (false) as the operator answers. `what` says what is
    // about to happen ("closing", "opening another file").
    bool SettleChanges(const std::string& what);
    // What saving would write now.
    kt::config::ConfigRecord::Image SaveImage() const;
    void UpdateTitle();
    // The port's state in the status bar, shown again when a notice is taken back.
    void ShowPortState(const std::string& text);
    void UpdateRecentMenu();
    void Remember(const std::filesystem::path& file);
    // Makes the client area as large as its controls, so that it scrolls
    // rather than cuts them off.
    void FitClientArea();
    // Mirrors each pair of twin scroll bars (one value shown on two pages).
    void ConnectTwins();
    // The window's own rows of loading and saving.
    void AddSettings(SettingsTable& table);
    // "Write All" and "Write Changes" go by SMS in SMS mode (one SMS per
    // command, each answered before the next); verifying and reading, a
    // hundred requests, only in direct mode.
    void UpdateModuleActions();
    // A run may start: none is under way, the port is open, and in SMS mode
    // the run may go by SMS (`bySms`) and the module's number is usable (a box
    // says why not).
    bool RunAllowed(const std::string& caption, bool bySms = false);
    // Starts the run once the question, if any, is answered with OK.
    void StartRun(RunPlan plan, std::unique_ptr<CommandTransport> transport, const Question* question);
    // Sends one command of a run and decides its answer.
    std::unique_ptr<CommandTransport> MakeTransport();

    // Record values no control shows, held from loading for the next save.
    struct Carried {
        int32_t smsPollFactor = 0;  // unclamped; the engine polls at InboxPollInterval
        int32_t tempFormatIndex = 0;
        std::string reserved8 = std::string(4, '\0'), reserved9 = std::string(4, '\0');
        int32_t reserved10 = 0;
        int16_t reserved11 = 0, reserved12 = 0;
    } carried_;
    ControlRegistry registry_;
    std::unique_ptr<SettingsTable> settings_;
    std::vector<Page*> pages_;
    std::filesystem::path workDir_;
    std::unique_ptr<kt::protocol::IClock> ownClock_;
    const kt::protocol::IClock* clock_;
    MessagePresenter showMessage_;
    QuestionPresenter ask_;
    FileChooser chooseFile_;
    std::unique_ptr<kt::protocol::ProtocolEngine> engine_;
    ProvisioningRun* provisioning_ = nullptr;
    kt::protocol::CommandBaseline writeBaseline_;
    TrafficView* trafficView_ = nullptr;
    std::string sessionLogError_;
    std::filesystem::path settingsFile_;
    std::filesystem::path portBindingsFile_;
    std::string deviceRoot_;
    kt::protocol::AnswerRule answerRule_;
    kt::protocol::SmsTimes smsTimes_;
    kt::config::ConfigRecord::Image savedImage_{};  // what the file holds, as a save would write it
    kt::config::RecentFiles recent_;
    std::string portState_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentEnd_ = nullptr;  // the separator after the recent files
    bool blankSettings_ = true;
    bool busy_ = false;
    bool shownOnce_ = false;
};

}  // namespace kt::app
