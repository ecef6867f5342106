// What the sibling module KTM447QD lacks: analog inputs 5..8, digital inputs
// 8..12 and outputs 6..8. Its layout (the alternate module option) disables
// the text slots of those sources and covers the level controls of analog
// inputs 5..8; provisioning leaves out the commands of those controls, so a
// module is never sent settings for inputs it does not have.
#pragma once

#include <array>

#include "protocol/ModuleCommands.h"

namespace kt::protocol {

struct SlotRange {
    int first = 0, last = -1;
    constexpr bool Holds(int n) const { return n >= first && n <= last; }
};

// Slots of the "External SMS" and "Int/Ext SMS" pages (the same on both):
// the limit texts of analog inputs 5..8 and the events of inputs 8..12.
inline constexpr std::array<SlotRange, 3> kAlternateOffEventSlots{{{22, 33}, {41, 45}, {53, 57}}};
// Slots of the "IOname" page: the names of inputs 8..12 and of outputs 6..8.
inline constexpr std::array<SlotRange, 4> kAlternateOffNameSlots{{{65, 69}, {77, 81}, {87, 89}, {95, 97}}};
// The analog inputs whose level controls Panel1 covers.
inline constexpr SlotRange kAlternateOffAnalogInputs{5, 8};

// True when the alternate layout disables the slot of the text bank
// (external 1..57; internal texts 1..57 and names 58..97).
constexpr bool AlternateOmitsText(cmd::TextBank bank, int slot) {
    for (const SlotRange& r : kAlternateOffEventSlots)
        if (r.Holds(slot)) return true;
    if (bank == cmd::TextBank::Internal)
        for (const SlotRange& r : kAlternateOffNameSlots)
            if (r.Holds(slot)) return true;
    return false;
}

}  // namespace kt::protocol
