// What a module's answer in direct mode puts into the pages: the page reply
// rules as a pure function of the page and the reply text. The window's timer
// applies them to the page showing; kt4470ctl verify and read, and the
// window's "Verify Module..." and "Read Settings from Module...", read the
// answers to their requests with the same rules.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "protocol/PageIndex.h"
#include "protocol/WindowInterface.h"

namespace kt::protocol {

// The (control name, value) pairs the reply gives the page; nothing for a
// page that takes no values or a reply that matches none of its rules.
std::vector<ControlValue> PageReplyValues(PageIndex page, const std::string& reply);

// Every control a page reply may fill, with the page it lies on.
std::vector<std::pair<PageIndex, std::string>> PageReplyTargets();

}  // namespace kt::protocol
