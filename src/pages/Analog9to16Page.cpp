#include "pages/Analog9to16Page.h"

namespace kt::app {

Analog9to16Page::Analog9to16Page(PageHost& host)
    : AnalogLevelsPage(host, kt::protocol::PageIndex::Analog9to16, 9) {
    auto b = Builder();
    // The Main page's requests.
    b.Button({"Button29", {.x = kBesideX, .y = 4, .w = 130, .h = 25}},
             {.caption = "Read Analog", .click = Calls("ReadAnalogClick")});
    b.Button({"Button28", {.x = kBesideX, .y = 34, .w = 130, .h = 25}},
             {.caption = "Analog Level", .click = Calls("ReadAlevelBtnClick")});
}

}  // namespace kt::app
