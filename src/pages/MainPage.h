// Page "Main": the module's phone number, the SMS mode switch, the modem's
// identification, the one-shot module requests, the clock buttons and the
// AT commands passed through to the module's own GSM engine.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "pages/Page.h"

namespace kt::app {

class MainPage : public Page {
    Q_OBJECT
  public:
    explicit MainPage(TForm1& form);

    // ---- Module requests (Clear, RawMode off, SendSMS, DisplayOnMemo) ----
    // ReadAnalogClick, ReadAlevelBtnClick, ReadTemperatureClick,
    // TemperatureLevelBtnClick and COUNTERSClick also serve the like-captioned
    // buttons of the analog and temperature pages.
    void ReadStateClick();
    void ReadAnalogClick();
    void ReadTemperatureClick();
    void ReadTHClick();
    void ReadAlevelBtnClick();
    void ReadRTClick();
    void VersionClick();
    void TemperatureLevelBtnClick();
    void COUNTERSClick();
    void RestartModuleClick();

    // ---- Clock buttons ------------------------------------------------------
    void GetDTClick();
    void SetDTClick();
    void SyncModemClick();

    // ---- Pass-through AT commands (RawMode, unframed in direct mode) --------
    void SqualityClick();
    void band0Click();
    void band1Click();
    void band2Click();
    void band3Click();
    void SupportedBandClick();
    void CurrentBandClick();
    void SendATClick();
    void ctrlZbtnClick();

    // ---- Panel and mode switches ----------------------------------------------
    void ATcmdOpenClick();
    void GSMbandOpenClick();
    void SMSmodeClick();

    // The Main page's share of the alternate module layout: "Runtime" shows
    // only for the sibling module.
    void ApplyAlternateModule(bool on);

    QLabel* BRnumberLabel = nullptr;
    QLineEdit* BRnumber = nullptr;
    QCheckBox* SMSmode = nullptr;

    QGroupBox* GroupBox1 = nullptr;  // modem identification
    QLabel* HerstellerLabel = nullptr;
    QLineEdit* Hersteller = nullptr;
    QLabel* ModelIDCodeLabel = nullptr;
    QLineEdit* ModelIDCode = nullptr;
    QLabel* DateTimeLabel = nullptr;
    QLineEdit* DateTime = nullptr;
    QPlainTextEdit* Memo5 = nullptr;  // covers the three edits in direct mode

    QFrame* ATcommand = nullptr;
    QPushButton* ReadState = nullptr;
    QPushButton* ReadAnalog = nullptr;
    QPushButton* ReadTemperature = nullptr;
    QPushButton* ReadTH = nullptr;
    QPushButton* ReadAlevelBtn = nullptr;
    QPushButton* ReadRT = nullptr;
    QPushButton* Version = nullptr;
    QPushButton* TemperatureLevelBtn = nullptr;
    QPushButton* COUNTERS = nullptr;
    QPushButton* RestartModule = nullptr;
    QPushButton* GetDT = nullptr;
    QPushButton* SetDT = nullptr;
    QPushButton* Squality = nullptr;
    QPushButton* ATcmdOpen = nullptr;
    QPushButton* GSMbandOpen = nullptr;

    QFrame* PanelAT = nullptr;
    QLabel* ATcmdLabel = nullptr;
    QLineEdit* ATcmd = nullptr;
    QPushButton* SendAT = nullptr;
    QPushButton* ctrlZbtn = nullptr;

    QFrame* PanelBand = nullptr;
    QLabel* BandTitle = nullptr;
    QLabel* BandLabel[4] = {};
    QPushButton* band[4] = {};
    QPushButton* SupportedBand = nullptr;
    QPushButton* CurrentBand = nullptr;

    QLineEdit* TimeZone = nullptr;
    QLabel* Label42 = nullptr;
    QPushButton* SyncModem = nullptr;
    QCheckBox* DeleteSMS = nullptr;  // loaded and saved with the settings

  private:
    void BuildIdentification();
    void BuildRequestPanel();
    void BuildPanelAT();
    void BuildPanelBand();
    void BuildHidden();
    QPushButton* Button(const char* name, const char* caption, QWidget* parent, void (MainPage::*handler)());

    void ModuleRequest(const std::string& command, const std::string& display);
    void PassThrough(const std::string& text);
};

}  // namespace kt::app
