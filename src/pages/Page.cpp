#include "pages/Page.h"

namespace kt::app {

using kt::protocol::Memo;

Page::Page(PageHost& host, kt::protocol::PageIndex index) : host_(host), index_(index) {
    setObjectName(kt::protocol::Page(index).objectName);
}

bool Page::Run(std::initializer_list<Step> steps, const std::string& command, const std::string& display) {
    auto& e = host_.Engine();
    auto& w = host_.Window();
    bool sent = true;
    for (Step step : steps) {
        switch (step) {
            case Step::Clear:
                host_.Clear();
                break;
            case Step::RawModeOff:
                e.RawMode = false;
                break;
            case Step::Send:
                sent = e.SendSMS(command);
                break;
            case Step::Display:
                e.DisplayOnMemo(display.empty() ? command : display);
                break;
            case Step::ShowCommand:
                w.SetMemoText(Memo::Monitor, "");
                w.SetMemoText(Memo::SmsInput, "");
                w.AppendMemoLine(Memo::Monitor, command);
                break;
            case Step::ReplyToShow:
                e.ReplyToShow = true;
                break;
        }
    }
    return sent;
}

bool Page::PassThrough(const std::string& text, bool clearMonitor) {
    auto& e = host_.Engine();
    auto& w = host_.Window();
    if (clearMonitor) w.SetMemoText(Memo::Monitor, "");
    e.SkipCRLFSaved = w.SkipCrLfChecked();
    e.RawMode = true;
    w.SetMemoText(Memo::SmsInput, "");
    return e.SendSMS(text);
}

Handler Page::Calls(std::string handlerName) const {
    return [this, name = std::move(handlerName)](int) { host_.Controls().RunHandler(name); };
}

}  // namespace kt::app
