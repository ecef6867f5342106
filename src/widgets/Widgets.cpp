#include "widgets/Widgets.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace kt::app {

QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    const QByteArray latin = text.toLatin1();
    return std::string(latin.constData(), static_cast<size_t>(latin.size()));
}

// ---- TRadioGroup -------------------------------------------------------------

TRadioGroup::TRadioGroup(const QString& objectName, const QString& caption, const QStringList& items,
                         QWidget* parent, int columns)
    : QGroupBox(caption, parent) {
    setObjectName(objectName);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(0);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(objectName + "Item" + QString::number(i));
        group_.addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
        buttons_.push_back(button);
    }
    // Toggled rather than clicked: keyboard selection checks a button too.
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked || id == index_) return;
        index_ = id;
        changedByClick_ = true;
        emit Click();
    });
    // A click follows the toggle it caused; one without a toggle re-picks.
    connect(&group_, &QButtonGroup::idClicked, this, [this](int) {
        if (!changedByClick_) emit Reclicked();
        changedByClick_ = false;
    });
}

void TRadioGroup::Select(int index) {
    if (index < 0) {
        // An exclusive group refuses to uncheck its last button.
        group_.setExclusive(false);
        for (auto* b : buttons_) {
            QSignalBlocker block(b);
            b->setChecked(false);
        }
        group_.setExclusive(true);
    } else {
        QSignalBlocker block(group_);
        buttons_[static_cast<size_t>(index)]->setChecked(true);
    }
}

void TRadioGroup::SetItemIndex(int index) {
    if (buttons_.empty()) return;
    if (index < 0) index = -1;
    if (index >= Count()) index = Count() - 1;
    if (index == index_) return;
    index_ = index;
    Select(index);
    changedByClick_ = false;
    emit Click();
}

// ---- TMemo --------------------------------------------------------------------

TMemo::TMemo(const QString& objectName, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(objectName);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The editor drops its oldest lines as the model does.
    setMaximumBlockCount(kt::protocol::kMemoMaxLines);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!rendering_) FromEditor();
    });
}

void TMemo::SetLine(int index, const std::string& text) {
    if (index < 0 || index >= LineCount()) return;
    lines_.SetLine(index, text);
    // Each line is one block of the editor: replace that block's text only.
    const QTextBlock block = document()->findBlockByNumber(index);
    if (document()->blockCount() != LineCount() || !block.isValid()) {
        Render();
        return;
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    rendering_ = true;
    cursor.insertText(FromBytes(text));
    rendering_ = false;
}

void TMemo::AppendLine(const std::string& text) {
    lines_.Append(text);
    if (lines_.Count() <= 2) {
        // The editor cannot tell "no lines" from "one empty line"; redraw whole.
        Render();
    } else {
        rendering_ = true;
        appendPlainText(FromBytes(text));
        rendering_ = false;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TMemo::SetText(const std::string& text) {
    lines_.SetText(text);
    Render();
}

void TMemo::ClearLines() {
    lines_.Clear();
    Render();
}

void TMemo::Render() {
    QString shown;
    bool first = true;
    for (const auto& line : lines_.Lines()) {
        if (!first) shown += QChar('\n');
        shown += FromBytes(line);
        first = false;
    }
    rendering_ = true;
    setPlainText(shown);
    rendering_ = false;
}

void TMemo::FromEditor() {
    const QString shown = toPlainText();
    lines_.Clear();
    if (shown.isEmpty()) return;
    for (const QString& line : shown.split(QChar('\n')))
        lines_.Append(ToBytes(line));
}

// ---- edits ----------------------------------------------------------------------

EditValidator::EditValidator(QLineEdit* edit, int maxLength) : QValidator(edit), max_(maxLength) {
    // The edit validates its new text before it reports the change, so the
    // length seen here is the one before the keystroke.
    previous_ = static_cast<int>(edit->text().size());
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { previous_ = static_cast<int>(text.size()); });
}

QValidator::State EditValidator::validate(QString& input, int&) const {
    for (QChar c : input)
        if (c.unicode() > 0xFF) return Invalid;
    if (max_ <= 0 || input.size() <= max_ || input.size() <= previous_) return Acceptable;
    return Invalid;
}

TEdit::TEdit(const QString& objectName, QWidget* parent, int maxLength) : QLineEdit(parent), max_(maxLength) {
    setObjectName(objectName);
    setValidator(new EditValidator(this, maxLength));
}

void TEdit::keyPressEvent(QKeyEvent* event) {
    const bool inserts = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    bool refused = max_ > 0 && inserts && !hasSelectedText() && text().size() >= max_;
    for (QChar c : event->text())
        refused |= inserts && c.unicode() > 0xFF;
    if (refused) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

QLineEdit* MakeEdit(const QString& objectName, QWidget* parent, int maxLength) {
    return new TEdit(objectName, parent, maxLength);
}

}  // namespace kt::app
