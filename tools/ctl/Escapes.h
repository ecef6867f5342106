// kt4470ctl's escapes, which the window's delivery log shares: they live with
// the protocol code.
#pragma once

#include "protocol/Escapes.h"

namespace kt::ctl {

using protocol::Escape;
using protocol::PrintableLine;
using protocol::Unescape;

}  // namespace kt::ctl
