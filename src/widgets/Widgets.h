// Small adapters that give Qt widgets the semantics the window relies on:
// programmatic value changes run a control's handler exactly when the value
// really changes, a radio group has an item index (-1 = none), a memo is a
// list of lines, and an edit's maximum length limits typing only.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <QValidator>
#include <string>
#include <vector>

#include "protocol/MemoLines.h"

namespace kt::app {

// Bytes <-> text. The wire and the record are 8-bit; Latin-1 maps every byte
// to one character and back, so nothing is lost on a round trip.
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);

// A titled group of radio buttons with an item index. Setting the index from
// the program emits Click() only when the index changes; an operator picking
// another entry is a change too. Re-picking the selected entry is not: it
// emits Reclicked() instead.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(const QString& objectName, const QString& caption, const QStringList& items,
                QWidget* parent = nullptr, int columns = 1);

    int ItemIndex() const { return index_; }
    // A negative index selects no entry; one past the last selects the last.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* Item(int i) const { return buttons_.at(static_cast<size_t>(i)); }

  signals:
    void Click();
    // The operator clicked the entry that was already selected.
    void Reclicked();

  private:
    void Select(int index);

    QButtonGroup group_;
    std::vector<QRadioButton*> buttons_;
    int index_ = -1;
    bool changedByClick_ = false;
};

// A memo holding a list of lines. The text is the lines each followed by
// CR LF; setting the text splits it at CR LF, CR or LF. The lines are the
// model; the editor shows them and an operator's typing updates them.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TMemo(const QString& objectName, QWidget* parent = nullptr);

    int LineCount() const { return lines_.Count(); }
    std::string Line(int index) const { return lines_.Line(index); }
    void SetLine(int index, const std::string& text);  // no such line: nothing
    void AppendLine(const std::string& text);
    std::string Text() const { return lines_.Text(); }
    void SetText(const std::string& text);
    void ClearLines();

  private:
    void Render();
    void FromEditor();

    kt::protocol::MemoLines lines_;
    bool rendering_ = false;
};

// Rejects typed or pasted text the line and the settings file cannot carry:
// characters above U+00FF (the wire and the record are Latin-1), and text
// beyond a maximum length (0 = none). Texts set by the program are kept whole
// (unlike QLineEdit::setMaxLength, which cuts them), and an over-long text can
// still be shortened by the operator.
class EditValidator : public QValidator {
    Q_OBJECT
  public:
    EditValidator(QLineEdit* edit, int maxLength);
    State validate(QString& input, int& pos) const override;
    int MaxLength() const { return max_; }

  private:
    int max_;
    int previous_ = 0;  // length before the change under validation
};

// An edit that takes Latin-1 text only and whose maximum length (0 = none)
// limits typing only. The validator
// covers typing and pasting; the key filter covers the first keystroke after
// the program set an over-long text, which Qt's validation lets through.
class TEdit : public QLineEdit {
    Q_OBJECT
  public:
    TEdit(const QString& objectName, QWidget* parent, int maxLength);
    int MaxLength() const { return max_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int max_;
};

// An edit with an object name, an optional maximum typed length (0 = none).
QLineEdit* MakeEdit(const QString& objectName, QWidget* parent, int maxLength = 0);

}  // namespace kt::app
