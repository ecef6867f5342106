// The window's runs of the Option menu: what each sends, what it asks
// first, what it does with the answers and how it ends. The sequence itself
// is ProvisioningRun's.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/Form1.h"
#include "app/ModuleSettingsOf.h"
#include "app/ProvisioningRun.h"
#include "app/SerialPortPage.h"
#include "app/SmsTransport.h"
#include "config/SettingsFile.h"
#include "protocol/Framing.h"
#include "protocol/ModuleReport.h"
#include "serial/PortText.h"

namespace kt::app {

using kt::protocol::CommandBaseline;
using kt::protocol::ModuleReport;
using kt::protocol::MsgIcon;
using kt::protocol::RunTally;
using kt::protocol::SlotCommand;

namespace {

using Writes = std::vector<SlotCommand>;

std::vector<std::string> CommandsOf(const Writes& writes) {
    std::vector<std::string> out;
    for (const SlotCommand& c : writes)
        out.push_back(c.command);
    return out;
}

// A text the operator can read, select and copy, beside the window.
void ShowReport(TForm1& form, const std::string& caption, const std::string& text) {
    auto* dialog = new QDialog(&form);
    dialog->setObjectName("ModuleReport");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(FromBytes(caption));
    dialog->setAccessibleName(FromBytes(caption));
    auto* layout = new QVBoxLayout(dialog);
    auto* view = new QPlainTextEdit(dialog);
    view->setObjectName("ModuleReportText");
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setPlainText(FromBytes(text));
    view->setAccessibleName("Report");
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* copy = buttons->addButton("Copy", QDialogButtonBox::ActionRole);
    copy->setObjectName("ModuleReportCopy");
    copy->setAccessibleName("Copy the report");
    QObject::connect(copy, &QPushButton::clicked, view,
                     [view] { QApplication::clipboard()->setText(view->toPlainText()); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->resize(640, 420);
    dialog->show();
}

}  // namespace

void TForm1::SetWriteBaseline() {
    writeBaseline_ = CommandBaseline(kt::protocol::ProvisioningSlots(ModuleSettingsOf(*this)));
}

std::unique_ptr<CommandTransport> TForm1::MakeTransport() {
    if (SmsModeChecked()) return std::make_unique<SmsTransport>(*this, ModuleNumber(), smsTimes_);
    return std::make_unique<DirectTransport>(*this, answerRule_);
}

bool TForm1::RunAllowed(const std::string& caption, bool bySms) {
    if (provisioning_ || (SmsModeChecked() && !bySms)) return false;
    if (!CommPortDriver1.IsOpen()) {
        ShowMessage(kt::serial::PortHeadText(CommPortDriver1, serialPage->RadioGroupPort->ItemIndex() + 1) +
                        " is not open: nothing was sent. Pick the port on the \"Serial Port\" page.",
                    caption, MsgIcon::Warning);
        return false;
    }
    std::string pdu, why;
    if (SmsModeChecked() &&
        !kt::protocol::CommandPdu("GETST", ModuleNumber(), pdu,
                                  [&why](const std::string& text, const std::string&) { why = text; })) {
        ShowMessage(why + "\r\nThe module's number (\"" + ModuleNumber() +
                        "\" on the Main page) is where every SMS goes: nothing was sent.",
                    caption, MsgIcon::Warning);
        return false;
    }
    return true;
}

void TForm1::StartRun(RunPlan plan, std::unique_ptr<CommandTransport> transport, const Question* question) {
    if (question && Ask(*question) != Answer::Ok) return;
    provisioning_ = new ProvisioningRun(*this, std::move(plan), std::move(transport), this);
    connect(provisioning_, &ProvisioningRun::Done, this, [this] {
        provisioning_->deleteLater();
        provisioning_ = nullptr;
    });
    provisioning_->Start();
}

namespace {

// A write run: each command the module answered (not with ERROR) becomes
// what the module was given for its slot.
RunPlan WritePlan(const char* caption, Writes writes, CommandBaseline& baseline) {
    RunPlan plan;
    plan.caption = caption;
    plan.commands = CommandsOf(writes);
    plan.after = [writes = std::move(writes), &baseline](size_t index, const CommandOutcome&,
                                                         RunTally::Outcome counted) {
        if (counted == RunTally::Outcome::Answered) baseline.Set(writes[index]);
    };
    return plan;
}

Question RunQuestion(const char* caption, std::string text, Answer defaultButton) {
    Question q;
    q.caption = caption;
    q.text = std::move(text);
    q.buttons = {Answer::Ok, Answer::Cancel};
    q.defaultButton = defaultButton;
    q.icon = defaultButton == Answer::Cancel ? MsgIcon::Warning : MsgIcon::Information;
    return q;
}

// In SMS mode every command is an SMS the operator pays for: the question
// says how many, the summary adds what the modem refused and what was lost,
// and where the delivery log is.
std::string SmsCount(const CommandTransport& transport, size_t commands) {
    if (!dynamic_cast<const SmsTransport*>(&transport)) return {};
    return " That is " + std::to_string(commands) + " SMS, one per command, each awaiting its answer.";
}

void AddSmsSummary(TForm1& form, RunPlan& plan, CommandTransport& transport) {
    auto* sms = dynamic_cast<SmsTransport*>(&transport);
    if (!sms) return;
    plan.finish = [&form, sms, caption = plan.caption](const std::string& summary, RunTally::End end) {
        std::string text = summary + "\r\n" + std::to_string(sms->NotSubmitted()) + " not submitted, " +
                           std::to_string(sms->Lost()) + " submitted without an answer.\r\n";
        text += sms->LogTrouble().empty()
                    ? "Every state of every SMS is in the delivery log " + sms->LogPath().string() + "."
                    : "No delivery log: " + sms->LogTrouble() + ".";
        const bool clean = end == RunTally::End::Complete && sms->NotSubmitted() == 0 && sms->Lost() == 0;
        form.ShowMessage(text, caption, clean ? MsgIcon::Information : MsgIcon::Warning);
    };
}

// The slots of the commands, at most a dozen named.
std::string SlotList(const Writes& writes) {
    std::string out;
    for (size_t k = 0; k < writes.size() && k < 12; ++k)
        out += (k ? ", " : "") + writes[k].slot;
    if (writes.size() > 12) out += ", ...";
    return out;
}

// The pages' command of each slot, for what the module now holds.
void BaselineHolds(CommandBaseline& baseline, const Writes& now, const std::vector<std::string>& held) {
    for (const std::string& slot : held)
        for (const SlotCommand& c : now)
            if (c.slot == slot) baseline.Set(c);
}

}  // namespace

void TForm1::WriteAllSettings1Click() {
    if (!RunAllowed(kWriteAllCaption, true)) return;
    Writes writes = kt::protocol::ProvisioningSlots(ModuleSettingsOf(*this));
    auto transport = MakeTransport();
    std::string text =
        "Send all " + std::to_string(writes.size()) + " commands to " + transport->Destination() +
        "? Every setting the pages write is replaced in the module." + SmsCount(*transport, writes.size());
    if (BlankSettings()) {
        const std::string file = std::filesystem::absolute(SettingsPath()).lexically_normal().string();
        text +=
            std::filesystem::exists(SettingsPath())
                ? "\r\n\r\nThe settings file " + file + " could not be read or holds nothing but zero bytes"
                : "\r\n\r\nThere is no settings file " + file;
        text +=
            ": the pages hold the values of an empty settings file (no texts, no numbers, \"+99\" in the SIM "
            "phone book). Sending them wipes the module's settings.";
    }
    const Question q = RunQuestion(kWriteAllCaption, text, Answer::Cancel);
    RunPlan plan = WritePlan(kWriteAllCaption, std::move(writes), writeBaseline_);
    AddSmsSummary(*this, plan, *transport);
    StartRun(std::move(plan), std::move(transport), &q);
}

void TForm1::WriteChanges1Click() {
    if (!RunAllowed(kWriteChangesCaption, true)) return;
    const Writes now = kt::protocol::ProvisioningSlots(ModuleSettingsOf(*this));
    Writes changed = kt::protocol::CommandsSince(now, writeBaseline_);
    if (changed.empty()) {
        ShowMessage("Nothing to send: the module was given each of the " + std::to_string(now.size()) +
                        " commands of the pages.",
                    kWriteChangesCaption, MsgIcon::Information);
        return;
    }
    auto transport = MakeTransport();
    const Question q =
        RunQuestion(kWriteChangesCaption,
                    "Send " + std::to_string(changed.size()) + " of " + std::to_string(now.size()) +
                        " commands to " + transport->Destination() +
                        "? Only the settings that differ from what the module was last given "
                        "go out: " +
                        SlotList(changed) + "." + SmsCount(*transport, changed.size()),
                    Answer::Cancel);
    RunPlan plan = WritePlan(kWriteChangesCaption, std::move(changed), writeBaseline_);
    AddSmsSummary(*this, plan, *transport);
    StartRun(std::move(plan), std::move(transport), &q);
}

namespace {
// A run of every request the module can answer, for "Verify" and "Read".
RunPlan ReportPlan(const char* caption, const ModuleReport& report) {
    RunPlan plan;
    plan.caption = caption;
    plan.noun = "requests";
    for (const auto& r : report.Requests())
        plan.commands.push_back(r.command);
    return plan;
}
}  // namespace

void TForm1::VerifyModule1Click() {
    if (!RunAllowed(kVerifyCaption)) return;
    auto report = std::make_shared<ModuleReport>(Config.AlternateModule());
    RunPlan plan = ReportPlan(kVerifyCaption, *report);
    plan.after = [report](size_t index, const CommandOutcome& outcome, RunTally::Outcome) {
        if (outcome.answered)
            report->Answer(index, outcome.answer);
        else
            report->NoAnswer(index);
    };
    plan.finish = [this, report](const std::string& summary, RunTally::End) {
        const kt::protocol::ModuleSettings pages = ModuleSettingsOf(*this);
        const ModuleReport::Comparison c = report->Compare(kt::protocol::ExpectedValues(pages), "window");
        // The next "Write Changes" sends what the module was found not to hold.
        BaselineHolds(writeBaseline_, kt::protocol::ProvisioningSlots(pages), c.equalSlots);
        for (const std::string& slot : c.differentSlots)
            writeBaseline_.Forget(slot);
        std::string text = summary + "\r\n" + c.Summary() + "\r\n";
        for (const std::string& line : c.lines)
            text += line + "\r\n";
        text += std::string(kt::protocol::kNotReportedText) + ".\r\n";
        ShowReport(*this, kVerifyCaption, text);
    };
    StartRun(std::move(plan), MakeTransport(), nullptr);
}

void TForm1::ReadSettings1Click() {
    if (!RunAllowed(kReadCaption)) return;
    auto report = std::make_shared<ModuleReport>(Config.AlternateModule());
    RunPlan plan = ReportPlan(kReadCaption, *report);
    plan.after = [this, report](size_t index, const CommandOutcome& outcome, RunTally::Outcome) {
        if (!outcome.answered) {
            report->NoAnswer(index);
            return;
        }
        for (const auto& [control, value] : report->Answer(index, outcome.answer))
            SetControlText(control, value);
    };
    plan.finish = [this, report](const std::string& summary, RunTally::End end) {
        // What was read is what the module holds.
        std::vector<std::string> held;
        size_t settings = 0;
        for (const auto& r : report->Requests())
            for (const auto& s : r.settings) {
                ++settings;
                if (report->Values().count(s.control)) held.push_back(s.slot);
            }
        BaselineHolds(writeBaseline_, kt::protocol::ProvisioningSlots(ModuleSettingsOf(*this)), held);
        const bool whole = end == RunTally::End::Complete && held.size() == settings;
        ShowMessage(summary + "\r\n" + std::to_string(report->Values().size()) +
                        " settings read into the pages; \"Save Setting\" keeps them." +
                        (whole ? "" : " The others keep what the pages showed."),
                    kReadCaption, whole ? MsgIcon::Information : MsgIcon::Warning);
    };
    auto transport = MakeTransport();
    const Question q =
        RunQuestion(kReadCaption,
                    "Read the settings the module can report (" + std::to_string(plan.commands.size()) +
                        " requests to " + transport->Destination() +
                        ") into the pages? The alarm numbers, the SIM phone book, the texts and names and "
                        "the GPRS, FTP and "
                        "HTTP parameters the pages show now are replaced by the module's.",
                    Answer::Ok);
    StartRun(std::move(plan), std::move(transport), &q);
}

}  // namespace kt::app
