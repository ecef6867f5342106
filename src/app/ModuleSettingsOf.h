// The values the pages' write buttons send, gathered from the window's
// controls by name: the window's side of provisioning.
#pragma once

#include "protocol/Provisioning.h"

namespace kt::app {

class TForm1;

// What the window shows now, as ProvisioningCommands takes it.
kt::protocol::ModuleSettings ModuleSettingsOf(TForm1& form);

}  // namespace kt::app
