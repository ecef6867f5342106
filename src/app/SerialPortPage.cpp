#include "app/SerialPortPage.h"

#include "app/Form1.h"
#include "serial/CommPortDriver.h"
#include "serial/PortText.h"
#include "serial/SerialDevices.h"

namespace kt::app {

using kt::config::FieldId;
using namespace kt::serial;

const RateEntry kRateEntries[7] = {
    {"2400", 2400, br2400},       {"4800", 4800, br4800},    {"9600", 9600, br9600},
    {"19200", 19200, br19200},    {"38400", 38400, br38400}, {"57600", 57600, br57600},
    {"115200", 115200, br115200},
};

SerialPortPage::SerialPortPage(TForm1& form) : Page(form, kt::protocol::PageIndex::SerialPort), form_(form) {
    QStringList ports;
    for (int n = 1; n <= kPortEntries; ++n)
        ports << QString("Com%1").arg(n);
    QStringList rates;
    for (const auto& e : kRateEntries)
        rates << e.caption;

    auto b = Builder();
    // Both groups reconfigure the port on a change of their entry.
    RadioGroupPort =
        b.Radio({"RadioGroupPort", {.x = 16, .y = 4, .w = 105, .h = 374}},
                {.caption = "Com Port ", .items = ports, .click = [this](int) { form_.InitPort(); }});
    RadioGroupRate =
        b.Radio({"RadioGroupRate", {.x = 128, .y = 40, .w = 105, .h = 185}},
                {.caption = "Baud Rate", .items = rates, .click = [this](int) { form_.InitPort(); }});
    PortDevice = b.Label({"PortDevice", {.x = 128, .y = 16, .w = 300, .h = 16}}, {});
    PortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Tall enough for the style's indicator beside the caption.
    SkipCRLFcb = b.Check({"SkipCRLFcb", {.x = 248, .y = 48, .w = 97, .h = 21}},
                         {.caption = "Skip CR/LF", .click = [this](int) { SkipCRLFcbClick(); }});
    ParityEven = b.Check({"ParityEven", {.x = 248, .y = 72, .w = 97, .h = 21}},
                         {.caption = "Parity Even", .click = [this](int) { ParityEvenClick(); }});
    SaveSettingAfterExitCB = b.Check({"SaveSettingAfterExitCB", {.x = 248, .y = 96, .w = 180, .h = 21}},
                                     {.caption = "Save Setting after Exit"});

    TrackBar5 = b.TrackBar(
        {"TrackBar5", {.x = 248, .y = 156, .w = 300, .h = 24}},
        {.min = 0, .max = 100000, .largeStep = 1000, .change = [this](int) { TrackBar5Change(); }});
    TrackBar5->setTickPosition(QSlider::NoTicks);
    Label1 = b.Label({"Label1", {.x = 248, .y = 136, .w = 150, .h = 16}},
                     {.caption = "Wait SMS Timeout (ms)", .buddy = "TrackBar5"});
    Edit1 = b.Edit({"Edit1", {.x = 556, .y = 156, .w = 65, .h = 21}},
                   {.text = "0", .accessible = "Wait SMS Timeout (ms) value"});

    // The devices present, to bind the selected "Com n" to one of them.
    DeviceGroup = b.Panel({"DeviceGroup", {.x = 248, .y = 190, .w = 590, .h = 185}}, {.caption = "Devices"});
    auto g = b.In(DeviceGroup);
    DeviceList = new QListWidget(DeviceGroup);
    DeviceList->setObjectName("DeviceList");
    DeviceList->setGeometry(8, 20, 390, 125);
    DeviceList->setAccessibleName("Serial devices present");
    DeviceList->setToolTip("The serial devices on this computer; stable names (by-id) first");
    host_.Controls().Add(DeviceList);
    BindDeviceBtn =
        g.Button({"BindDeviceBtn", {.x = 406, .y = 20, .w = 176, .h = 25}},
                 {.caption = "Use for Com1",
                  .tip = "Bind the selected Com entry to this device for you (not stored in KT4470.cfg)",
                  .click = [this](int) { BindDeviceBtnClick(); }});
    UnbindDeviceBtn = g.Button({"UnbindDeviceBtn", {.x = 406, .y = 50, .w = 176, .h = 25}},
                               {.caption = "Unbind Com1", .click = [this](int) { UnbindDeviceBtnClick(); }});
    PortRule = g.Label({"PortRule", {.x = 8, .y = 148, .w = 574, .h = 32}}, {.wrap = true});
    PortRule->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(DeviceList, &QListWidget::itemActivated, this, [this] { BindDeviceBtnClick(); });
    connect(DeviceList, &QListWidget::currentRowChanged, this, [this] { UpdateDeviceButtons(); });
    deviceSettle_.setSingleShot(true);
    deviceSettle_.setInterval(300);
    connect(&deviceSettle_, &QTimer::timeout, this, [this] { RefreshDevices(); });
    connect(&deviceWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] { deviceSettle_.start(); });

    // Re-picking the selected port reopens it only when it is closed (a lost
    // line, a device that was missing or busy); an open port stays as it is.
    connect(RadioGroupPort, &TRadioGroup::Reclicked, this, [this] {
        if (form_.CommPortDriver1.IsOpen()) return;
        form_.EndModemExchange();
        form_.InitPort();
    });
}

void SerialPortPage::SkipCRLFcbClick() {
    Engine().SkipCRLFSaved = SkipCRLFcb->isChecked();
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
    const kt::config::PortBindings bindings = form_.Bindings();
    std::vector<ComPortChoice> choices;
    for (int n = 1; n <= kPortEntries; ++n)
        choices.push_back(form_.PortChoice(n, bindings));
    for (int i = 0; i < RadioGroupPort->Count() && i < kPortEntries; ++i)
        RadioGroupPort->Item(i)->setToolTip(FromBytes(PortEntryText(i + 1, choices[i])));
    const int selected = RadioGroupPort->ItemIndex();
    const ComPortChoice choice = selected < 0 ? ComPortChoice{} : choices[selected];
    PortDevice->setText(selected < 0 ? QString() : FromBytes(PortEntryText(selected + 1, choice)));
    PortRule->setText(selected < 0 ? QString() : FromBytes(PortRuleText(selected + 1, choice)));
    // Which entry each device serves now.
    for (int row = 0; row < DeviceList->count(); ++row) {
        QListWidgetItem* item = DeviceList->item(row);
        const std::string path = ToBytes(item->data(Qt::UserRole).toString());
        QString text = item->data(Qt::UserRole + 1).toString();
        for (int n = 1; n <= kPortEntries; ++n)
            if (choices[n - 1].device == path) text += QString("  = Com%1").arg(n);
        item->setText(text);
    }
    UpdateDeviceButtons();
}

void SerialPortPage::RefreshDevices() {
    const QString current =
        DeviceList->currentItem() ? DeviceList->currentItem()->data(Qt::UserRole).toString() : QString();
    DeviceList->clear();
    for (const SerialDevice& d : ListSerialDevices(form_.DeviceRoot())) {
        auto* item = new QListWidgetItem(DeviceList);
        QString name = FromBytes(d.name);
        const QString node = FromBytes(std::filesystem::path(d.device).filename().string());
        if (node != name) name += " (" + node + ")";
        item->setData(Qt::UserRole, FromBytes(d.path));
        item->setData(Qt::UserRole + 1, name);
        item->setToolTip(FromBytes(d.path == d.device ? d.path : d.path + " -> " + d.device));
        if (item->data(Qt::UserRole).toString() == current) DeviceList->setCurrentItem(item);
    }
    WatchDeviceFolders();
    ShowDevices();
}

void SerialPortPage::WatchDeviceFolders() {
    // The by-id folder comes and goes with the first and last USB adapter.
    QStringList folders;
    for (const std::string& f : DeviceFolders(form_.DeviceRoot()))
        folders << FromBytes(f);
    const QStringList watched = deviceWatcher_.directories();
    for (const QString& f : watched)
        if (!folders.contains(f)) deviceWatcher_.removePath(f);
    for (const QString& f : folders)
        if (!watched.contains(f)) deviceWatcher_.addPath(f);
}

void SerialPortPage::UpdateDeviceButtons() {
    const int n = RadioGroupPort->ItemIndex() + 1;
    BindDeviceBtn->setText(QString("Use for Com%1").arg(n > 0 ? n : 1));
    UnbindDeviceBtn->setText(QString("Unbind Com%1").arg(n > 0 ? n : 1));
    BindDeviceBtn->setEnabled(n > 0 && DeviceList->currentItem());
    UnbindDeviceBtn->setEnabled(n > 0 && !form_.Bindings().Device(n).empty());
}

void SerialPortPage::BindDeviceBtnClick() {
    const int n = RadioGroupPort->ItemIndex() + 1;
    if (n < 1 || !DeviceList->currentItem()) return;
    form_.BindPort(n, ToBytes(DeviceList->currentItem()->data(Qt::UserRole).toString()));
}

void SerialPortPage::UnbindDeviceBtnClick() {
    const int n = RadioGroupPort->ItemIndex() + 1;
    if (n < 1) return;
    form_.BindPort(n, {});
}

void SerialPortPage::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    RefreshDevices();
}

void SerialPortPage::AddSettings(SettingsTable& t) {
    // Rate first, then port: each change reopens the port.
    t.Values({1, 1}, {1, 1}, "RadioGroupRate", FieldId::RateIndex);
    t.Values({1, 2}, {1, 2}, "RadioGroupPort", FieldId::PortIndex);
    t.Values({2}, {1, 3}, "TrackBar5", FieldId::WaitSmsTimeout);
    t.Values({11, 2}, {5, 2}, "ParityEven", FieldId::ParityEvenOn);
    t.Values({14}, {18, 2}, "SaveSettingAfterExitCB", FieldId::SaveOnExit);
    t.Values({22, 1}, {18, 1}, "SkipCRLFcb", FieldId::SkipCrLf);
    t.Load({22, 2}, "SkipCRLFSaved <- SkipCRLFcb",
           [this](kt::config::ConfigRecord&) { Engine().SkipCRLFSaved = SkipCRLFcb->isChecked(); });
}

}  // namespace kt::app
