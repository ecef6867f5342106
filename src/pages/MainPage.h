// Page "Main": the module's phone number, the SMS mode switch, the modem's
// identification, the one-shot module requests, the clock buttons and the
// AT commands passed through to the module's own GSM engine.
#pragma once

#include <QCheckBox>
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
    explicit MainPage(PageHost& host);

    // ---- Module requests (Clear, RawMode off, SendSMS, DisplayOnMemo) ----
    // ReadAnalogClick, ReadAlevelBtnClick, ReadTemperatureClick,
    // TemperatureLevelBtnClick and COUNTERSClick also serve the like-captioned
    // buttons of the analog and temperature pages (by their handler names).
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
    void bandClick(int band);  // band0Click .. band3Click
    void SupportedBandClick();
    void CurrentBandClick();
    void SendATClick();
    void ctrlZbtnClick();

    // ---- Panel and mode switches ----------------------------------------------
    void ATcmdOpenClick();
    void GSMbandOpenClick();
    void SMSmodeClick();

    // "Runtime" shows only for the sibling module.
    void ApplyAlternateModule(bool on, AlternateRow row) override;
    void AddSettings(SettingsTable& table) override;

    QLabel* BRnumberLabel = nullptr;
    QLineEdit* BRnumber = nullptr;
    QCheckBox* SMSmode = nullptr;

    QGroupBox* GroupBox1 = nullptr;  // modem identification
    QLineEdit* Hersteller = nullptr;
    QLineEdit* ModelIDCode = nullptr;
    QLineEdit* DateTime = nullptr;
    QPlainTextEdit* Memo5 = nullptr;  // covers the three edits in direct mode

    QWidget* ATcommand = nullptr;
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

    QWidget* PanelAT = nullptr;
    QLineEdit* ATcmd = nullptr;
    QPushButton* SendAT = nullptr;
    QPushButton* ctrlZbtn = nullptr;

    QWidget* PanelBand = nullptr;
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

    // Clear, RawMode off, SendSMS, DisplayOnMemo of the request row of that handler.
    void ModuleRequest(void (MainPage::*handler)());
};

}  // namespace kt::app
