// The 13 pages of the main window in the order of its page control. The
// window builds its tabs from this list and the reply parser picks the page
// that takes a reply's values by it, so the two cannot disagree.
#pragma once

#include <array>

namespace kt::protocol {

enum class PageIndex : int {
    Main = 0,
    Abonents,
    ExternalSms,
    IntExtSms,
    IOname,
    Analog1to8,
    TempCounter,
    SmsSchedule,
    IOControl,
    Other,
    GprsFtp,
    SerialPort,
    Analog9to16,
};

inline constexpr int kPageCount = 13;

struct PageInfo {
    PageIndex index;
    const char* objectName;  // the tab sheet's object name
    const char* caption;     // the tab's caption
};

inline constexpr std::array<PageInfo, kPageCount> kPages{{
    {PageIndex::Main, "TabSheet1", "Main"},
    {PageIndex::Abonents, "TabSheet2", "Abonents"},
    {PageIndex::ExternalSms, "TabSheet3", "External SMS"},
    {PageIndex::IntExtSms, "TabSheet4", "Int/Ext SMS"},
    {PageIndex::IOname, "TabSheet5", "IOname"},
    {PageIndex::Analog1to8, "TabSheet6", "Analog 1-8"},
    {PageIndex::TempCounter, "TabTCT", "Temp/Counter"},
    {PageIndex::SmsSchedule, "TabSheet8", "SMS Shedule"},
    {PageIndex::IOControl, "TabSheet9", "IO control"},
    {PageIndex::Other, "TabSheet10", "Other"},
    {PageIndex::GprsFtp, "SRateSBar", "GPRS, FTP"},
    {PageIndex::SerialPort, "TabSheet12", "Serial Port"},
    {PageIndex::Analog9to16, "TabSheet7", "Analog 9-16"},
}};

constexpr const PageInfo& Page(PageIndex index) {
    return kPages[static_cast<int>(index)];
}

}  // namespace kt::protocol
