// The simulated module in direct ("Setting") mode: its settings, its measured
// values and the answer to every command the terminal sends. Answers are
// listed in tools/sim/REPLIES.md.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace kt::sim {

using Clock = std::function<std::chrono::system_clock::time_point()>;

struct ModuleState {
    std::array<std::string, 7> alarmNumbers;  // up to 20 characters
    std::array<std::string, 7> phoneBook;     // SIM phone book, up to 20 characters
    std::array<std::string, 57> extTexts;     // alarm texts, up to 32 characters
    std::array<std::string, 97> intTexts;     // internal texts 1..57, IO names 58..97; up to 15

    std::array<int, 16> analogMin{}, analogMax{};  // percent
    std::string analogModes = "11111111";
    std::string analogMultipliers = "11111111";
    std::string analogDividers = "11111111";
    std::array<std::string, 8> mux20mA;  // hundredths
    std::array<int, 3> tempMin{}, tempMax{};
    std::array<int, 2> runtimeLevels{};
    char rtInput = '1', rtSource = 'A';
    std::string rtDivider = "0000";
    int tempTimeout = 0, analogTimeout = 0, digitalFilter = 0;

    std::string tempMask = "FFF", analogMask = "FFFFFFFF", digitalMask = "FFFFFFFFFFFF";
    std::string optionString = "MPEDEDDDDEEDEDE ";
    std::string schedule = "         ";
    int dateTimeSource = 3;
    bool restartEnabled = false;
    int tempFormat = 0;

    std::array<bool, 8> outputs{};
    std::array<bool, 12> inputs{};
    std::array<int, 8> pulse{};
    int sampleRate = 0, loggerPeriod = 1;

    std::string apn = "internet", gprsUser, gprsPassword, serverAddress = "0.0.0.0";
    std::string ftpHost, ftpUser, ftpPassword, ftpDirectory = "IMEI", httpHost;
    int maxErrors = 4;

    // Measured values.
    std::array<int, 16> analogValues{};  // percent
    std::array<int, 3> temperatures{};   // tenths of a degree
    int humidity = 45;
    std::array<long, 2> counters{};
    std::array<long, 2> runtimes{};
    int signalQuality = 20;
    int gsmBand = 0;
};

class ModuleModel {
  public:
    explicit ModuleModel(Clock clock = {});

    // One module command: the text after "SETUP:" without the CR (trailing
    // blanks of the fixed-width commands included). Returns the answer bytes.
    std::string Command(std::string_view command);

    // One unframed line without its CR. AT commands go to the module's GSM
    // engine; anything else is taken as a module command.
    std::string RawLine(std::string_view line);

    ModuleState& State() { return state_; }
    const ModuleState& State() const { return state_; }

    // The module clock as "yy/MM/dd,hh:mm:ss" followed by the zone text.
    std::string ClockText() const;

  private:
    std::string AtCommand(std::string_view at);
    std::string Dispatch(std::string_view cmd);
    std::string OutputName(int k) const;
    std::string InputName(int k) const;
    std::string Status(std::string_view key) const;
    bool SetClock(std::string_view text);

    Clock clock_;
    ModuleState state_;
    std::chrono::seconds clockOffset_{0};
    std::string zone_;
};

}  // namespace kt::sim
