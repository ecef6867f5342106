#include "pages/GprsFtpPage.h"

#include <map>
#include <stdexcept>
#include <string_view>

#include "protocol/ControlRanges.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::FieldId;
using kt::protocol::cmd::GprsParameterRow;
using kt::protocol::cmd::kGprsParameters;
namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;

namespace {

constexpr int kRows = static_cast<int>(kGprsParameters.size());
constexpr int kRowStep = 28;
constexpr int kFirstRow = 22;

constexpr const char* kSampleLegend =
    "0: 1min 1: 2min 2: 3min 3: 4min 4: 5min 5: 6min 6: 7min 7: 8min 8: 9min 9: 10min";
constexpr const char* kLinesLegend =
    "1: 1 line 2: 2 lines 3: 4 lines 5: 8 lines 6: 16 lines 7: 32 lines 8: 64 lines 9: 128 lines";

// The three groups of parameter rows, top to bottom, and the object names of
// their group boxes.
struct ParameterGroup {
    std::string_view title;
    const char* name;
    int y;
    int height;
};
constexpr ParameterGroup kGroups[] = {
    {"GPRS", "GroupBoxGPRS", 4, kFirstRow + 4 * kRowStep},
    {"FTP", "GroupBoxFTP", 146, kFirstRow + 4 * kRowStep},
    {"HTTP", "GroupBoxHTTP", 288, kFirstRow + 2 * kRowStep + 4},
};

const GprsParameterRow& RowOf(int row) {
    return kGprsParameters.at(static_cast<size_t>(row));
}

// The row's place within its group.
int LineInGroup(int row) {
    int line = 0;
    for (int k = 0; k < row; ++k)
        line += RowOf(k).group == RowOf(row).group;
    return line;
}

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// "GPRS APN", "FTP User ID", "HTTP Host": the group and the label, without
// repeating a group name the label already starts with.
QString EditName(const GprsParameterRow& r) {
    const QString label = Latin1(r.label).trimmed();
    const QString group = Latin1(r.group);
    return label.startsWith(group) ? label : group + " " + label;
}

// The record field a row is stored in, by the name the table gives.
FieldId FieldNamed(std::string_view name) {
    const kt::config::FieldDef* f = kt::config::FindField(name);
    if (!f) throw std::logic_error("parameter row names no record field: " + std::string(name));
    return static_cast<FieldId>(f - kt::config::kFields.data());
}

}  // namespace

GprsFtpPage::GprsFtpPage(PageHost& host) : Page(host, kt::protocol::PageIndex::GprsFtp) {
    BuildParameters();
    BuildFiles();
    ReadGPRS1 = Builder().Check({"ReadGPRS1", {.x = 484, .y = 12, .w = 120, .h = 21}},
                                {.caption = "Read ", .click = [this](int) { ReadGPRS1Click(); }});
}

void GprsFtpPage::BuildParameters() {
    std::map<std::string_view, QWidget*> groups;
    for (const auto& g : kGroups)
        groups[g.title] = Builder().Panel({g.name, {.x = 8, .y = g.y, .w = 464, .h = g.height}},
                                          {.caption = Latin1(g.title)});

    // One label, edit and button per row of the parameter table.
    for (int i = 0; i < kRows; ++i) {
        const GprsParameterRow& r = RowOf(i);
        auto b = Builder().In(groups.at(r.group));
        const int y = kFirstRow + LineInGroup(i) * kRowStep;
        const std::string edit(r.edit);
        const QString name = EditName(r);
        b.Edit({edit, {.x = 124, .y = y, .w = 250, .h = 21}},
               {.text = Latin1(r.initialText),
                .maxLength = r.maxLength,
                // The HTTP host is no entry field of the page-change recolouring.
                .recolour = r.edit != "HTTPhostName",
                .accessible = name});
        b.Label({edit + "Label", {.x = 10, .y = y + 2, .w = 110, .h = 16}},
                {.caption = Latin1(r.label), .buddy = edit});
        b.Button({std::string(r.button), {.x = 382, .y = y - 2, .w = 70, .h = 25}},
                 {.caption = "WRITE", .accessible = "Send " + name, .click = [this, i](int) {
                      ParameterClick(i);
                  }});
    }

    // The HTTP error limit, under the HTTP host.
    auto b = Builder().In(groups.at("HTTP"));
    const int y = kFirstRow + kRowStep;
    MaxErrorScrollBar = b.ScrollBar({"MaxErrorScrollBar", {.x = 124, .y = y + 2, .w = 180, .h = 17}},
                                    {.min = 0,
                                     .max = 99,
                                     .position = 4,
                                     .largeStep = 10,
                                     .accessible = "Max Error Level",
                                     .change = [this](int) { MaxErrorSB(); },
                                     .handler = "MaxErrorSB"});
    b.Label({"MaxErrorLabel", {.x = 10, .y = y + 2, .w = 110, .h = 16}},
            {.caption = "Max Error Level", .buddy = "MaxErrorScrollBar"});
    MaxError = b.Edit({"MaxError", {.x = 312, .y = y, .w = 40, .h = 21}},
                      {.text = "4", .readOnly = true, .accessible = "Max Error Level value"});
    b.Button({"MaxErrorLevel", {.x = 382, .y = y - 2, .w = 70, .h = 25}},
             {.caption = "WR",
              .accessible = "Write Max Error Level",
              .click = [this](int) { MaxErrorClick(); },
              .handler = "MaxErrorClick"});
}

void GprsFtpPage::BuildFiles() {
    QWidget* files = Builder().Panel({"GroupBoxFiles", {.x = 484, .y = 40, .w = 360, .h = 236}},
                                     {.caption = "Files parameters - sample rate, lines in file"});
    auto b = Builder().In(files);

    // One bar, its value, its write button and its legend; the buttons run
    // the "IO control" page's handlers, which send that page's positions.
    struct FileRow {
        QScrollBar* GprsFtpPage::*bar;
        QLineEdit* GprsFtpPage::*edit;
        const char* barName;
        const char* editName;
        const char* button;
        const char* caption;
        int min, max;
        const char* legend;
        const char* ioHandler;
        void (GprsFtpPage::*change)();
    };
    const FileRow rows[] = {
        {&GprsFtpPage::eSRateSB, &GprsFtpPage::eSRate, "eSRateSB", "eSRate", "Button9", "Sampling Rate",
         range::kSampleRate.min, range::kSampleRate.max, kSampleLegend, "bSRateClick",
         &GprsFtpPage::eSRateSBChange},
        {&GprsFtpPage::eDLoggerTmSB, &GprsFtpPage::eDLoggerTm, "eDLoggerTmSB", "eDLoggerTm", "Button10",
         "Lines in file", range::kLinesInFile.min, range::kLinesInFile.max, kLinesLegend, "bDLperiodClick",
         &GprsFtpPage::eDLoggerTmSBChange},
    };
    int y = 20;
    for (const FileRow& r : rows) {
        b.Label({std::string(r.barName) + "Label", {.x = 10, .y = y, .w = 220, .h = 16}},
                {.caption = r.caption});
        this->*r.bar = b.ScrollBar({r.barName, {.x = 10, .y = y + 20, .w = 220, .h = 17}},
                                   {.min = r.min,
                                    .max = r.max,
                                    .position = r.min,
                                    .accessible = r.caption,
                                    .change = [this, h = r.change](int) { (this->*h)(); }});
        this->*r.edit = b.Edit({r.editName, {.x = 238, .y = y + 18, .w = 40, .h = 21}},
                               {.text = "0", .readOnly = true, .accessible = QString(r.caption) + " value"});
        b.Button({r.button, {.x = 286, .y = y + 16, .w = 60, .h = 25}},
                 {.caption = "WR", .accessible = QString("Write ") + r.caption, .click = Calls(r.ioHandler)});
        b.Label({std::string(r.barName) + "Legend", {.x = 10, .y = y + 44, .w = 340, .h = 32}},
                {.caption = r.legend, .wrap = true});
        y += 96;
    }
    b.Label({"eDLoggerTmSBHttp", {.x = 10, .y = y - 16, .w = 220, .h = 16}}, {.caption = "1 if HTTP mode"});
}

// ---- handlers ---------------------------------------------------------------------

void GprsFtpPage::ParameterClick(int row) {
    const GprsParameterRow& r = RowOf(row);
    if (ReadGPRS1->isChecked()) {
        Request(std::string(r.read));
        return;
    }
    const std::string text = TextAt(r.edit);
    const cmd::ParameterWrite w = cmd::WriteParameter(r, text);
    if (w.edit != text) SetTextAt(r.edit, w.edit);
    Request(w.command, w.display);
}

void GprsFtpPage::ReadGPRS1Click() {
    Engine().RawMode = false;
    for (const auto& r : kGprsParameters)
        SetTextAt(r.button, ReadGPRS1->isChecked() ? "RD" : "WR");
}

void GprsFtpPage::MaxErrorSB() {
    MaxError->setText(QString::number(MaxErrorScrollBar->value()));
}

void GprsFtpPage::MaxErrorClick() {
    // RawMode cleared: after an unanswered pass-through command the limit
    // would otherwise go out unframed.
    Run({Step::RawModeOff, Step::Send, Step::Display}, cmd::MaxErrorLevel(MaxErrorScrollBar->value()));
}

void GprsFtpPage::eSRateSBChange() {
    eSRate->setText(QString::number(eSRateSB->value()));
}

void GprsFtpPage::eDLoggerTmSBChange() {
    eDLoggerTm->setText(QString::number(eDLoggerTmSB->value()));
}

// ---- settings -----------------------------------------------------------------------

void GprsFtpPage::AddSettings(SettingsTable& t) {
    // A bar already at the stored position raises no change: its edit is
    // written explicitly.
    t.Values({12, 2}, {6}, "eSRateSB", FieldId::GprsSampleRate);
    t.Load({12, 3}, "eSRate <- eSRateSB", [this](ConfigRecord&) { eSRateSBChange(); });
    t.Values({12, 5}, {6}, "eDLoggerTmSB", FieldId::GprsLoggerPeriod);
    t.Load({12, 6}, "eDLoggerTm <- eDLoggerTmSB", [this](ConfigRecord&) { eDLoggerTmSBChange(); });
    for (const auto& r : kGprsParameters)
        t.Texts({18}, {13}, std::string(r.edit), FieldNamed(r.recordField));
    t.Load({18}, "MaxError <- MaxErrorScrollBar", [this](ConfigRecord&) { MaxErrorSB(); });
}

}  // namespace kt::app
