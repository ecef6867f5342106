// The widget adapters: handlers run exactly when a value changes, memos keep
// lines, and a maximum length limits typing only.
#include <QKeyEvent>
#include <QTextDocument>
#include <QtTest/QTest>

#include "gui/GuiSupport.h"
#include "protocol/MemoLines.h"
#include "widgets/Widgets.h"

namespace kt::test {
namespace {

using app::TMemo;
using app::TRadioGroup;

TEST(Widgets, RadioGroupRunsItsHandlerOnlyOnARealChange) {
    EnsureApp();
    TRadioGroup group("G", "Group", {"a", "b", "c"});
    int clicks = 0, reclicks = 0;
    QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });
    QObject::connect(&group, &TRadioGroup::Reclicked, [&] { ++reclicks; });
    EXPECT_EQ(group.ItemIndex(), -1);

    group.SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(group.Item(1)->isChecked());
    group.SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    group.SetItemIndex(7);  // past the end: the last entry
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(clicks, 2);
    group.SetItemIndex(-5);  // negative: no entry
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(clicks, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(group.Item(i)->isChecked());

    group.Item(0)->click();  // an operator's pick is a change
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(reclicks, 0);
    group.Item(0)->click();  // picking the selected entry again is not
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(reclicks, 1);
    group.SetItemIndex(2);
    group.Item(2)->click();
    EXPECT_EQ(reclicks, 2);
}

TEST(Widgets, MemoKeepsLinesWithTextListRules) {
    EnsureApp();
    TMemo memo("M");
    memo.SetText("one\r\ntwo\rthree\nfour\r\n");
    EXPECT_EQ(memo.LineCount(), 4);
    EXPECT_EQ(memo.Line(2), "three");
    EXPECT_EQ(memo.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");

    memo.ClearLines();
    memo.AppendLine("");
    EXPECT_EQ(memo.LineCount(), 1);  // one empty line is not an empty memo
    memo.AppendLine("x");
    memo.AppendLine("y");
    EXPECT_EQ(memo.Text(), "\r\nx\r\ny\r\n");
    EXPECT_EQ(memo.toPlainText().toStdString(), "\nx\ny");
    memo.SetLine(1, "X");
    memo.SetLine(9, "nothing");
    EXPECT_EQ(memo.Text(), "\r\nX\r\ny\r\n");

    // Every byte survives the editor (Latin-1 both ways).
    std::string bytes;
    for (int c = 32; c < 256; ++c)
        bytes += static_cast<char>(c);
    memo.SetText(bytes);
    EXPECT_EQ(memo.Line(0), bytes);

    // Typing updates the lines.
    memo.ClearLines();
    QTest::keyClicks(&memo, "ab");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "c");
    EXPECT_EQ(memo.Text(), "ab\r\nc\r\n");
}

// Lines appended one at a time (replies for hours) keep the editor and the
// lines in step, also once the oldest are dropped.
TEST(Widgets, MemoAppendsLineByLineAndKeepsItsLastLines) {
    EnsureApp();
    TMemo memo("M");
    QStringList shown;
    for (int i = 0; i < kt::protocol::kMemoMaxLines + 20; ++i) {
        const std::string line = i % 3 == 0 ? "" : "reply " + std::to_string(i);
        memo.AppendLine(line);
        shown << QString::fromStdString(line);
    }
    while (shown.size() > kt::protocol::kMemoMaxLines)
        shown.removeFirst();
    EXPECT_EQ(memo.LineCount(), kt::protocol::kMemoMaxLines);
    EXPECT_EQ(memo.document()->blockCount(), kt::protocol::kMemoMaxLines);
    EXPECT_EQ(memo.Line(0), shown.first().toStdString());
    EXPECT_EQ(memo.toPlainText(), shown.join('\n'));

    // Echoing onto a line changes that line only.
    memo.SetLine(memo.LineCount() - 1, "AT+CMGL=0");
    memo.SetLine(1, "");
    shown.last() = "AT+CMGL=0";
    shown[1] = "";
    EXPECT_EQ(memo.toPlainText(), shown.join('\n'));
    EXPECT_EQ(memo.Line(memo.LineCount() - 1), "AT+CMGL=0");
}

TEST(Widgets, MaxLengthLimitsTypingButNotTheProgram) {
    EnsureApp();
    QWidget parent;
    QLineEdit* edit = app::MakeEdit("E", &parent, 3);
    QTest::keyClicks(edit, "abcdef");
    EXPECT_EQ(edit->text().toStdString(), "abc");

    edit->setText("a longer text");
    EXPECT_EQ(edit->text().toStdString(), "a longer text");
    edit->end(false);
    QTest::keyClicks(edit, "z");
    EXPECT_EQ(edit->text().toStdString(), "a longer text");
    QTest::keyClick(edit, Qt::Key_Backspace);  // shortening is allowed
    EXPECT_EQ(edit->text().toStdString(), "a longer tex");
}

// The line and the settings file carry Latin-1: other characters are refused
// as they are typed or pasted, Latin-1 letters are taken.
TEST(Widgets, EditsRefuseCharactersBeyondLatin1) {
    EnsureApp();
    QWidget parent;
    QLineEdit* edit = app::MakeEdit("E", &parent);
    for (QChar c : QString::fromUtf8("T\u00fcr \u20ac5 \u0141")) {  // typed one key at a time
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &key);
    }
    EXPECT_EQ(edit->text(), QString::fromUtf8("T\u00fcr 5 "));
    edit->clear();
    edit->insert(QString::fromUtf8("\u00c4rger \u263a"));  // a paste
    EXPECT_EQ(edit->text(), QString());
    edit->insert(QString::fromUtf8("\u00c4rger"));
    EXPECT_EQ(app::ToBytes(edit->text()), "\xC4rger");
}

TEST(Widgets, Latin1RoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(app::ToBytes(app::FromBytes(all)), all);
}

}  // namespace
}  // namespace kt::test
