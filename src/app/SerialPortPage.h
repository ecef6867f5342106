// Page "Serial Port": the port and rate selections, three program options
// and the SMS wait time-out. Each port entry shows the device it resolves to.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "pages/Page.h"
#include "widgets/Widgets.h"

namespace kt::app {

// Entries of "Baud Rate": the rate and the driver's enumeration value.
struct RateEntry {
    const char* caption;
    uint32_t rate;
    int baudRate;  // kt::serial::TBaudRate
};
extern const RateEntry kRateEntries[7];
inline constexpr int kPortEntries = 16;

class TForm1;

class SerialPortPage : public Page {
    Q_OBJECT
  public:
    explicit SerialPortPage(TForm1& form);

    void SkipCRLFcbClick();
    void TrackBar5Change();
    void ParityEvenClick();
    // Puts the resolved device of every entry in its tooltip and the
    // selected one beside the group.
    void ShowDevices();

    void AddSettings(SettingsTable& table) override;

    TRadioGroup* RadioGroupPort = nullptr;
    TRadioGroup* RadioGroupRate = nullptr;
    QLabel* PortDevice = nullptr;
    QCheckBox* SkipCRLFcb = nullptr;
    QLabel* Label1 = nullptr;
    QSlider* TrackBar5 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* ParityEven = nullptr;
    QCheckBox* SaveSettingAfterExitCB = nullptr;

  private:
    TForm1& form_;
};

}  // namespace kt::app
