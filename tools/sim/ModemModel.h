// The simulated GSM modem in PDU mode with echo on. SMS sent to the module's
// number reach a ModuleModel; its answer comes back into the inbox as an
// SMS-DELIVER from that number.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ModuleModel.h"

namespace kt::sim {

// One command received and the bytes that answer it (echo included).
struct Exchange {
    std::string received;
    std::string answer;
};

struct StoredSms {
    int index = 0;
    int stat = 0;     // 0 received unread, 1 received read
    std::string pdu;  // hex, with the service-centre field
};

class ModemModel {
  public:
    // The service centre named in the listed messages.
    static constexpr const char* kServiceCentre = "+99990000000";
    // Messages the SIM holds (indices 1..kCapacity). A full memory refuses an
    // SMS to the module, whose answer could not be stored, with
    // "+CMS ERROR: 322".
    static constexpr int kCapacity = 30;

    ModemModel(std::string moduleNumber, ModuleModel& module, Clock clock = {});

    // Feeds received bytes; returns the commands they completed with their
    // answers, in order.
    std::vector<Exchange> Feed(std::string_view bytes);

    const std::vector<StoredSms>& Inbox() const { return inbox_; }
    // Stores a message from number in the inbox as unread under the lowest
    // free index and returns it; 0 when the memory is full.
    int Deliver(std::string_view number, std::string_view text);
    bool Full() const { return static_cast<int>(inbox_.size()) >= kCapacity; }

    int SmsFormat() const { return format_; }

    // A slow network: the module's answer SMS reaches the inbox this long
    // after its submission (DeliverDue() puts it there).
    void SetSmsDelay(std::chrono::milliseconds delay) { smsDelay_ = delay; }
    // The nth SMS submission (from 1) is refused with "+CMS ERROR: 38"
    // (network out of order) and reaches nobody; 0: none.
    void SetFailSubmit(int nth) { failSubmit_ = nth; }
    // Stores the delayed answers whose time has come; returns how many.
    int DeliverDue();
    // Time until the next delayed answer is due; -1 when none waits.
    int64_t MsUntilDelivery() const;

    // Told every command that reached the module by SMS, with its answer.
    std::function<void(std::string_view command, std::string_view answer)> moduleTrace;
    std::string ClockText() const;  // "yy/MM/dd,hh:mm:ss+zz" (zone in quarters)

  private:
    std::string Execute(const std::string& line);
    std::string Submit(const std::string& pdu);
    bool SetClock(std::string_view quoted);
    std::string Listing(int stat);

    std::string moduleNumber_;
    ModuleModel& module_;
    Clock clock_;
    std::chrono::seconds clockOffset_{0};
    int zoneQuarters_ = 0;

    std::string line_;
    bool pduInput_ = false;
    int announcedLength_ = 0;
    bool echo_ = true;
    int format_ = 0;
    std::string charset_ = "GSM";
    int nextReference_ = 1;
    std::vector<StoredSms> inbox_;
    struct Delayed {
        std::chrono::system_clock::time_point due;
        std::string text;
    };
    std::vector<Delayed> delayed_;  // in the order they are due
    std::chrono::milliseconds smsDelay_{0};
    int failSubmit_ = 0;
    int submissions_ = 0;
    uint32_t usedIndices_ = 0;  // bit i-1 set: index i holds a message
};

}  // namespace kt::sim
