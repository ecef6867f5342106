// Copying the settings record into the window at start-up and the window
// back into the record for a save. Each direction is one ordered table of
// steps; the pages add their rows there.
#pragma once

#include <string_view>
#include <vector>

#include "config/ConfigRecord.h"

namespace kt::app {

class TForm1;

struct ConfigStep {
    std::string_view what;  // the fields and controls concerned, for reading the table
    void (*run)(TForm1& form, kt::config::ConfigRecord& config);
};

// Load: each value goes through its control, so the control's own handler runs.
const std::vector<ConfigStep>& LoadSteps();
// Fill: only the fields the window owns; every other byte keeps what was loaded.
const std::vector<ConfigStep>& FillSteps();

void LoadConfigIntoWindow(TForm1& form);
void FillConfigFromWindow(TForm1& form);

}  // namespace kt::app
