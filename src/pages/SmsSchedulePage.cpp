#include "pages/SmsSchedulePage.h"

namespace kt::app {

SmsSchedulePage::SmsSchedulePage(PageHost& host) : Page(host, kt::protocol::PageIndex::SmsSchedule) {}

}  // namespace kt::app
