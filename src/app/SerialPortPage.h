// Page "Serial Port": the port and rate selections, three program options
// and the SMS wait time-out. Each port entry shows the device it resolves to;
// "Devices" lists the serial devices present and binds the selected "Com n"
// to one of them for this user.
#pragma once

#include <QCheckBox>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

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
    // Lists the serial devices present again (on showing the page, and when
    // a device appears or goes).
    void RefreshDevices();
    // Binds the selected "Com n" to the device chosen in the list / removes
    // its binding.
    void BindDeviceBtnClick();
    void UnbindDeviceBtnClick();

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
    QWidget* DeviceGroup = nullptr;
    QListWidget* DeviceList = nullptr;
    QPushButton* BindDeviceBtn = nullptr;
    QPushButton* UnbindDeviceBtn = nullptr;
    QLabel* PortRule = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void WatchDeviceFolders();
    void UpdateDeviceButtons();

    TForm1& form_;
    QFileSystemWatcher deviceWatcher_;
    QTimer deviceSettle_;  // udev makes the by-id link a moment after the node
};

}  // namespace kt::app
