// Page "TabSheet7" ("Analog 9-16"): the level groups of analog inputs 9..16
// and the analog queries.
#pragma once

#include "pages/AnalogLevelsPage.h"

namespace kt::app {

class Analog9to16Page : public AnalogLevelsPage {
    Q_OBJECT
  public:
    explicit Analog9to16Page(PageHost& host);
};

}  // namespace kt::app
