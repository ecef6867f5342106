// The traffic log in the window: the session file after a button holds the
// command's frame and the answer, and the "Traffic..." view lists, colours,
// follows, copies, saves and clears the entries.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <map>
#include <sstream>

#include "app/TrafficView.h"
#include "gui/GuiSupport.h"
#include "protocol/Escapes.h"
#include "support/TextFiles.h"
#include "traffic/SessionLogs.h"
#include "traffic/TrafficLog.h"
#include "version/Version.h"

namespace kt::test {
namespace {

using app::TrafficModel;
using traffic::Kind;

// The TX and RX bytes of a log, each direction joined, and its '#' lines
// but the headers.
struct ReadBack {
    std::string tx, rx;
    std::vector<std::string> notes;
    int txEntries = 0;
};
ReadBack ReadLog(const std::string& text) {
    ReadBack r;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        traffic::ParsedLine p;
        std::string error;
        EXPECT_TRUE(traffic::ParseLine(line, p, &error)) << line << ": " << error;
        if (p.kind == Kind::Tx) {
            r.tx += p.bytes;
            ++r.txEntries;
        } else if (p.kind == Kind::Rx) {
            r.rx += p.bytes;
        } else if (!p.time.empty()) {  // not a header
            r.notes.push_back(p.bytes);
        }
    }
    return r;
}

class TrafficViewTest : public PtyWindowTest {
  protected:
    // The one session log of the run.
    std::filesystem::path SessionLog() {
        std::vector<std::filesystem::path> logs;
        for (const auto& e : std::filesystem::directory_iterator(dir / "logs"))
            if (traffic::IsSessionLogName(e.path().filename().string())) logs.push_back(e.path());
        EXPECT_EQ(logs.size(), 1u);
        return logs.empty() ? std::filesystem::path() : logs.front();
    }
    app::TrafficView& OpenView() {
        EXPECT_TRUE(form->Controls().RunHandler("Traffic1Click"));
        app::TrafficView* view = form->TrafficWindow();
        EXPECT_NE(view, nullptr);
        view->Refresh();
        return *view;
    }
    QString Cell(app::TrafficView& v, int row, int column) {
        return v.Model()->data(v.Model()->index(row, column), Qt::DisplayRole).toString();
    }
};

TEST_F(TrafficViewTest, SessionLogHoldsTheFrameOfAButtonAndTheAnswer) {
    auto& f = StartOnPty();
    f.ConnectBtn->click();
    ExpectSent("  OK");
    Deliver(std::string("OK\r\n\0\xE9", 6));
    const std::filesystem::path log = SessionLog();
    EXPECT_EQ(log.parent_path(), dir / "logs");
    form.reset();  // the window closes: everything is written, the port's closing too

    const std::string text = Slurp(log);
    const std::string header = text.substr(0, text.find('\n'));
    EXPECT_EQ(header.rfind(std::string("# kt4470 ") + kt::Version() + " traffic log started ", 0), 0u)
        << header;
    EXPECT_NE(header.find("; port COM1 -> " + pty.SlavePath() + ", 2400 8N1, open"), std::string::npos)
        << header;
    const ReadBack r = ReadLog(text);
    EXPECT_EQ(r.tx, Framed("  OK"));
    EXPECT_EQ(r.txEntries, 1) << "one entry for the whole frame";
    EXPECT_EQ(r.rx, std::string("OK\r\n\0\xE9", 6));
    ASSERT_FALSE(r.notes.empty());
    EXPECT_NE(r.notes.front().find("COM1 -> " + pty.SlavePath() + " open: 2400 8N1"), std::string::npos)
        << r.notes.front();
    EXPECT_NE(r.notes.back().find("COM1 -> " + pty.SlavePath() + " closed"), std::string::npos)
        << r.notes.back();
}

TEST_F(TrafficViewTest, ViewListsCopiesSavesAndClears) {
    auto& f = StartOnPty();
    f.ConnectBtn->click();
    ExpectSent("  OK");
    Deliver("OK\r\n");
    app::TrafficView& v = OpenView();
    EXPECT_TRUE(v.isVisible());
    EXPECT_FALSE(v.isModal());
    EXPECT_TRUE(v.isWindow());
    EXPECT_EQ(v.windowTitle().toStdString(), "Traffic");
    EXPECT_TRUE(f.Controls().RunHandler("Traffic1Click"));
    EXPECT_EQ(f.TrafficWindow(), &v) << "one view, brought to the front";

    // Rows: the port's opening, the frame, the answer.
    TrafficModel& m = *v.Model();
    ASSERT_EQ(m.rowCount(), static_cast<int>(f.Traffic.Size()));
    ASSERT_GE(m.rowCount(), 3);
    const int tx = m.rowCount() - 2, rx = m.rowCount() - 1;
    EXPECT_EQ(Cell(v, tx, TrafficModel::DirectionColumn), "TX");
    EXPECT_EQ(Cell(v, tx, TrafficModel::TextColumn).toStdString(), protocol::Escape(Framed("  OK")));
    EXPECT_EQ(Cell(v, rx, TrafficModel::TextColumn), "OK\\r\\n");
    EXPECT_EQ(Cell(v, rx, TrafficModel::HexColumn), "4F 4B 0D 0A");
    EXPECT_EQ(Cell(v, 0, TrafficModel::DirectionColumn), "#");
    EXPECT_EQ(Cell(v, tx, TrafficModel::TimeColumn).size(), 12);  // 17:01:02.345
    const auto colour = [&](int row) { return m.data(m.index(row, 0), Qt::ForegroundRole).value<QColor>(); };
    EXPECT_NE(colour(tx), colour(rx));
    EXPECT_NE(colour(0), colour(tx));
    EXPECT_TRUE(v.List->isColumnHidden(TrafficModel::HexColumn));
    v.HexBox->setChecked(true);
    EXPECT_FALSE(v.List->isColumnHidden(TrafficModel::HexColumn));

    // Every control named, no two alike.
    std::map<std::string, std::string> seen;
    for (QWidget* w :
         std::vector<QWidget*>{v.List, v.HexBox, v.CopyBtn, v.SaveAsBtn, v.ClearBtn, v.FileLabel}) {
        const std::string name = AccessibleName(w);
        EXPECT_FALSE(name.empty()) << w->objectName().toStdString();
        EXPECT_TRUE(seen.emplace(name, w->objectName().toStdString()).second) << name;
    }
    EXPECT_EQ(v.CopyBtn->text(), "Copy");
    EXPECT_EQ(v.SaveAsBtn->text(), "Save As...");
    EXPECT_EQ(v.ClearBtn->text(), "Clear");
    EXPECT_NE(v.FileLabel->text().toStdString().find(SessionLog().string()), std::string::npos);

    // Copy: the selected rows in the file format, or all with the header.
    v.CopyClick();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), f.Traffic.Text());
    v.List->selectionModel()->select(m.index(tx, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    v.CopyClick();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              traffic::FormatLine(f.Traffic.At(m.SeqOf(tx))) + "\n");

    // Save As: the file format, written whole; a failure says why.
    chosenFile = [&](app::FileDialog kind) {
        EXPECT_EQ(kind, app::FileDialog::Save);
        return dir / "saved.log";
    };
    v.SaveAsClick();
    EXPECT_EQ(fileDialogs, std::vector<std::string>{"Save Traffic As"});
    const std::string saved = Slurp(dir / "saved.log");
    EXPECT_EQ(saved, f.Traffic.Text());
    const ReadBack r = ReadLog(saved);
    EXPECT_EQ(r.tx, Framed("  OK"));
    EXPECT_EQ(r.rx, "OK\r\n");
    chosenFile = [&](app::FileDialog) { return dir / "no-such-folder" / "saved.log"; };
    v.SaveAsClick();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Traffic");
    EXPECT_NE(messages[0].text.find("The traffic log was not saved: "), std::string::npos)
        << messages[0].text;
    chosenFile = nullptr;
    v.SaveAsClick();  // cancelled: nothing happens
    EXPECT_EQ(messages.size(), 1u);

    // Clear empties the list, not the session log; new traffic shows again.
    v.ClearClick();
    EXPECT_EQ(m.rowCount(), 0);
    f.TestBtnClick();
    ExpectSent("  +EXIT");
    v.Refresh();
    ASSERT_EQ(m.rowCount(), 1);
    EXPECT_EQ(Cell(v, 0, TrafficModel::TextColumn).toStdString(), protocol::Escape(Framed("  +EXIT")));
    form.reset();
    EXPECT_EQ(ReadLog(Slurp(SessionLog())).tx, Framed("  OK") + Framed("  +EXIT"));
}

// The list follows new entries while it shows the end, and stays where the
// operator scrolled to otherwise; the ring's dropped entries leave it.
TEST_F(TrafficViewTest, ViewFollowsTheEndAndDropsWhatTheRingDrops) {
    auto& f = StartWithoutPort();
    app::TrafficView& v = OpenView();
    QScrollBar* bar = v.List->verticalScrollBar();
    for (int i = 0; i < 300; ++i)
        f.Traffic.Note("entry " + std::to_string(i));
    v.Refresh();
    QApplication::processEvents();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    for (int i = 0; i < 50; ++i)
        f.Traffic.Note("more " + std::to_string(i));
    v.Refresh();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);

    for (size_t i = 0; i < traffic::TrafficRecorder::kRingEntries; ++i)
        f.Traffic.Note("flood");
    v.Refresh();
    EXPECT_EQ(v.Model()->rowCount(), static_cast<int>(traffic::TrafficRecorder::kRingEntries));
    EXPECT_EQ(v.Model()->SeqOf(0), f.Traffic.FirstSeq());
}

}  // namespace
}  // namespace kt::test
