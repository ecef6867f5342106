// The serial driver's value types: port numbers, rates, line settings and
// the reasons an open fails. Shared by the driver and its platform backends.
#pragma once

#include <cstdint>

namespace kt::serial {

enum TPortNumber : int {
    pnCustom = 0,
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8,
    pnCOM9,
    pnCOM10,
    pnCOM11,
    pnCOM12,
    pnCOM13,
    pnCOM14,
    pnCOM15,
    pnCOM16
};

enum TBaudRate : int {
    brCustom = 0,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};

enum TDataBits : int { db5BITS = 0, db6BITS, db7BITS, db8BITS };
enum TStopBits : int { sb1BITS = 0, sb1HALFBITS, sb2BITS };
enum TParity : int { ptNONE = 0, ptODD, ptEVEN, ptMARK, ptSPACE };
enum THwFlowControl : int { hfNONE = 0, hfNONERTSON, hfRTSCTS };
enum TSwFlowControl : int { sfNONE = 0, sfXONXOFF };
enum TPacketMode : int { pmDiscard = 0, pmPass };

// Modem status lines (ModemLineState); a bit set, empty = 0.
enum ModemLine : unsigned { mlCTS = 1u, mlDSR = 2u, mlRING = 4u, mlRLSD = 8u };

// Rate of a TBaudRate; 0 for brCustom or anything outside the table.
uint32_t BaudRateOf(TBaudRate rate);

// Why the last OpenPort failed (for the operator; not part of the Win32 API).
enum class OpenError { None, NoSuchDevice, PermissionDenied, Busy, NotConfigurable, Other };

// Line settings as the driver computed them from its properties.
struct LineSettings {
    uint32_t rate = 9600;  // bits per second (table rate or BaudRateValue)
    int dataBits = 8;      // 5..8
    TParity parity = ptNONE;
    TStopBits stopBits = sb1BITS;
    THwFlowControl hwFlow = hfNONERTSON;
    TSwFlowControl swFlow = sfNONE;
    bool dtrOn = true;            // DTR asserted (EnableDTROnOpen)
    uint32_t xonXoffLimit = 512;  // XON and XOFF limit (same value), bytes
    uint32_t inBufSize = 2048;    // driver queue sizes to request, bytes
    uint32_t outBufSize = 2048;
};

}  // namespace kt::serial
