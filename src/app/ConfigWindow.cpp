// The window's own rows of loading and saving the settings record: the
// working variables and the menu item that belong to no page, the port's
// parity and the alternate module layout. The pages add theirs.
#include "app/Form1.h"
#include "app/SerialPortPage.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::FieldId;

void TForm1::AddSettings(SettingsTable& t) {
    const auto parity = [this](ConfigRecord&) {
        CommPortDriver1.SetParity(serialPage->ParityEven->isChecked() ? kt::serial::ptEVEN
                                                                      : kt::serial::ptNONE);
    };

    t.Load({3}, "InboxPollInterval <- SmsPollFactor limited to 1..20; SmsPollFactor carried unchanged",
           [this](ConfigRecord& c) {
               carried_.smsPollFactor = c.SmsPollFactor();
               engine_->InboxPollInterval =
                   kt::protocol::ProtocolEngine::InboxPollIntervalFromFactor(c.SmsPollFactor());
           });
    // A menu item's check mark runs no handler.
    t.Load({11, 1}, "KTM447QD1 check mark <- AlternateModule",
           [this](ConfigRecord& c) { KTM447QD1->setChecked(c.AlternateModule()); });
    t.Load({13}, "port parity from ParityEven", parity);
    t.Load({15}, "alternate module layout for AlternateModule",
           [this](ConfigRecord& c) { ApplyAlternateModule(c.AlternateModule()); });
    t.Load({19, 1}, "TempFormatIndex carried",
           [this](ConfigRecord& c) { carried_.tempFormatIndex = c.TempFormatIndex(); });
    // Step 21 around the analog page's multipliers {21,1} and dividers {21,2}.
    t.Load({21, 0}, "Reserved8, Reserved9 carried", [this](ConfigRecord& c) {
        carried_.reserved8 = c.Reserved8();
        carried_.reserved9 = c.Reserved9();
    });
    t.Load({21, 3}, "Reserved10 carried, 0 when above 4 (written back)",
           [this](ConfigRecord& c) {
               carried_.reserved10 = c.Reserved10() > 4 ? 0 : c.Reserved10();
               c.SetReserved10(carried_.reserved10);
           },
           {FieldId::Reserved10});
    t.Load({23}, "Reserved11, Reserved12 carried", [this](ConfigRecord& c) {
        carried_.reserved11 = c.Reserved11();
        carried_.reserved12 = c.Reserved12();
    });

    t.Save({1, 4}, "SmsPollFactor <- the value carried from loading", {FieldId::SmsPollFactor},
           [this](ConfigRecord& c) { c.SetSmsPollFactor(carried_.smsPollFactor); });
    t.Save({14, 1}, "TempFormatIndex <- carried", {FieldId::TempFormatIndex},
           [this](ConfigRecord& c) { c.SetTempFormatIndex(carried_.tempFormatIndex); });
    // Step 17 around the analog page's multipliers {17,1} and dividers {17,2}.
    t.Save({17, 0}, "Reserved8, Reserved9 <- carried", {FieldId::Reserved8, FieldId::Reserved9},
           [this](ConfigRecord& c) {
               c.SetReserved8(carried_.reserved8);
               c.SetReserved9(carried_.reserved9);
           });
    t.Save({17, 3}, "Reserved10 <- carried (after its load-time reset)", {FieldId::Reserved10},
           [this](ConfigRecord& c) { c.SetReserved10(carried_.reserved10); });
    t.Save({19}, "Reserved11, Reserved12 <- carried", {FieldId::Reserved11, FieldId::Reserved12},
           [this](ConfigRecord& c) {
               c.SetReserved11(carried_.reserved11);
               c.SetReserved12(carried_.reserved12);
           });

    t.Save({5, 1}, "AlternateModule <- KTM447QD1 check mark", {FieldId::AlternateModule},
           [this](ConfigRecord& c) { c.SetAlternateModule(KTM447QD1->isChecked()); });
    t.Save({7}, "port parity from ParityEven", {}, parity);
}

}  // namespace kt::app
