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

    t.Load({3}, "InboxPollInterval <- SmsPollFactor limited to 1..20 (the field is kept for saving)",
           [this](ConfigRecord& c) {
               engine_->InboxPollInterval =
                   kt::protocol::ProtocolEngine::InboxPollIntervalFromFactor(c.SmsPollFactor());
           });
    // A menu item's check mark runs no handler.
    t.Load({11, 1}, "KTM447QD1 check mark <- AlternateModule",
           [this](ConfigRecord& c) { KTM447QD1->setChecked(c.AlternateModule()); });
    t.Load({13}, "port parity from ParityEven", parity);
    t.Load({15}, "alternate module layout for AlternateModule",
           [this](ConfigRecord& c) { ApplyAlternateModule(c.AlternateModule()); });

    t.Save({5, 1}, "AlternateModule <- KTM447QD1 check mark", {FieldId::AlternateModule},
           [this](ConfigRecord& c) { c.SetAlternateModule(KTM447QD1->isChecked()); });
    t.Save({7}, "port parity from ParityEven", {}, parity);
}

}  // namespace kt::app
