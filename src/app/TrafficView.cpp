#include "app/TrafficView.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Form1.h"
#include "config/SettingsFile.h"
#include "protocol/Escapes.h"
#include "traffic/TrafficLog.h"

namespace kt::app {

using kt::traffic::Entry;
using kt::traffic::Kind;

// ---- TrafficModel -----------------------------------------------------------------

TrafficModel::TrafficModel(const kt::traffic::TrafficRecorder& recorder, QObject* parent)
    : QAbstractTableModel(parent), recorder_(recorder) {
    first_ = end_ = recorder_.FirstSeq();
    Refresh();
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(end_ - first_);
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

namespace {

// The start of text, "..." after it when it was cut.
QString Shown(const std::string& text) {
    const bool cut = text.size() > TrafficModel::kShownChars;
    const size_t n = cut ? TrafficModel::kShownChars : text.size();
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(n)) +
           (cut ? QStringLiteral(" ...") : QString());
}

}  // namespace

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Entry& e = recorder_.At(SeqOf(index.row()));
    switch (role) {
        case Qt::DisplayRole: {
            // At most kShownChars bytes make kShownChars characters or more.
            const std::string start = e.bytes.substr(0, kShownChars + 1);
            switch (index.column()) {
                case TimeColumn:
                    // The time of day; the whole stamp is the tooltip.
                    return QString::fromLatin1(kt::traffic::LocalTimeText(e.wallUs).substr(11, 12));
                case DirectionColumn:
                    return QString::fromLatin1(kt::traffic::KindText(e.kind));
                case TextColumn:
                    return Shown(e.kind == Kind::Note ? kt::protocol::PrintableLine(start)
                                                      : kt::protocol::Escape(start));
                case HexColumn:
                    return e.kind == Kind::Note ? QVariant() : Shown(kt::traffic::HexText(start));
            }
            return {};
        }
        case Qt::ToolTipRole:
            if (index.column() == TimeColumn)
                return QString::fromLatin1(kt::traffic::LocalTimeText(e.wallUs));
            return {};
        case Qt::ForegroundRole:
            switch (e.kind) {
                case Kind::Tx:
                    return QColor(0, 0, 170);
                case Kind::Rx:
                    return QColor(0, 120, 0);
                default:
                    return QColor(110, 110, 110);
            }
        case Qt::FontRole:
            if (index.column() == TextColumn || index.column() == HexColumn)
                return QFontDatabase::systemFont(QFontDatabase::FixedFont);
            return {};
    }
    return {};
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case TimeColumn:
            return QStringLiteral("Time");
        case DirectionColumn:
            return QStringLiteral("Dir");
        case TextColumn:
            return QStringLiteral("Bytes");
        case HexColumn:
            return QStringLiteral("Hex");
    }
    return {};
}

void TrafficModel::Refresh() {
    const uint64_t first = recorder_.FirstSeq(), end = recorder_.EndSeq();
    if (first_ == end_) {
        first_ = end_ = first;  // nothing shown: start where the ring starts
    } else if (first >= end_) {
        // Everything shown is gone (cleared, or dropped by the ring).
        beginResetModel();
        first_ = first;
        end_ = end;
        endResetModel();
    } else if (first > first_) {
        beginRemoveRows({}, 0, static_cast<int>(first - first_) - 1);
        first_ = first;
        endRemoveRows();
    }
    if (end_ > first_ && recorder_.At(end_ - 1).bytes.size() != lastSize_) {
        const int row = static_cast<int>(end_ - 1 - first_);
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
    if (end > end_) {
        beginInsertRows({}, static_cast<int>(end_ - first_), static_cast<int>(end - first_) - 1);
        end_ = end;
        endInsertRows();
    }
    lastSize_ = end_ > first_ ? recorder_.At(end_ - 1).bytes.size() : 0;
}

// ---- TrafficView -------------------------------------------------------------------

TrafficView::TrafficView(TForm1& form, kt::traffic::TrafficRecorder& recorder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      form_(form),
      recorder_(recorder),
      model_(new TrafficModel(recorder, this)) {
    setObjectName("TrafficForm");
    setWindowTitle(kTrafficCaption);
    resize(820, 480);

    List = new QTreeView(this);
    List->setObjectName("TrafficList");
    List->setAccessibleName("Traffic entries");
    List->setModel(model_);
    // Every row one line high: the list lays out 20,000 rows without measuring them.
    List->setUniformRowHeights(true);
    List->setRootIsDecorated(false);
    List->setItemsExpandable(false);
    List->setAllColumnsShowFocus(true);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setTextElideMode(Qt::ElideRight);
    const QFontMetrics fm(font());
    List->header()->setStretchLastSection(true);
    List->header()->resizeSection(TrafficModel::TimeColumn, fm.horizontalAdvance("00:00:00.000") + 16);
    List->header()->resizeSection(TrafficModel::DirectionColumn, fm.horizontalAdvance("Dir") + 20);
    List->header()->resizeSection(TrafficModel::TextColumn, 420);
    List->setColumnHidden(TrafficModel::HexColumn, true);

    HexBox = new QCheckBox("Hex", this);
    HexBox->setObjectName("TrafficHex");
    HexBox->setAccessibleName("Hex column");
    connect(HexBox, &QCheckBox::toggled, this,
            [this](bool on) { List->setColumnHidden(TrafficModel::HexColumn, !on); });

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
        void (TrafficView::*handler)();
    } buttons[] = {
        {&CopyBtn, "TrafficCopy", "Copy", &TrafficView::CopyClick},
        {&SaveAsBtn, "TrafficSaveAs", "Save As...", &TrafficView::SaveAsClick},
        {&ClearBtn, "TrafficClear", "Clear", &TrafficView::ClearClick},
    };
    auto* row = new QHBoxLayout;
    row->addWidget(HexBox);
    row->addStretch(1);
    for (const auto& b : buttons) {
        *b.button = new QPushButton(b.caption, this);
        (*b.button)->setObjectName(b.name);
        connect(*b.button, &QPushButton::clicked, this, [this, h = b.handler] { (this->*h)(); });
        row->addWidget(*b.button);
    }

    FileLabel = new QLabel(this);
    FileLabel->setObjectName("TrafficFile");
    FileLabel->setAccessibleName("Session log file");
    FileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List, 1);
    layout->addLayout(row);
    layout->addWidget(FileLabel);

    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    ShowFile();
}

void TrafficView::Refresh() {
    QScrollBar* bar = List->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    model_->Refresh();
    if (atEnd) List->scrollToBottom();
    ShowFile();
}

void TrafficView::ShowFile() {
    QString text;
    if (recorder_.HasFile())
        text = "Session log: " + QString::fromStdString(recorder_.FilePath().string());
    else if (!recorder_.FileError().empty())
        text = "Session log stopped: " + FromBytes(recorder_.FileError());
    else
        text = "No session log" +
               (form_.SessionLogError().empty() ? QString() : ": " + FromBytes(form_.SessionLogError()));
    if (FileLabel->text() != text) FileLabel->setText(text);
}

void TrafficView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
    refresh_.start();
}

void TrafficView::hideEvent(QHideEvent* event) {
    refresh_.stop();
    QWidget::hideEvent(event);
}

void TrafficView::CopyClick() {
    Refresh();
    QModelIndexList rows = List->selectionModel()->selectedRows();
    std::string text;
    if (rows.isEmpty()) {
        text = recorder_.Text(model_->SeqOf(0), model_->SeqOf(model_->rowCount()));
    } else {
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        for (const QModelIndex& i : rows)
            kt::traffic::AppendLine(text, recorder_.At(model_->SeqOf(i.row())));
    }
    QApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TrafficView::SaveAsClick() {
    Refresh();
    const std::filesystem::path path =
        form_.ChooseFile(FileDialog::Save, kSaveTrafficCaption, form_.WorkDir() / "traffic.log",
                         "Traffic logs (*.log);;All files (*)");
    if (path.empty()) return;
    const std::string text = recorder_.Text(model_->SeqOf(0), model_->SeqOf(model_->rowCount()));
    std::string error;
    if (!kt::config::SaveFileAtomically(path.string(), text, &error))
        form_.ShowMessage("The traffic log was not saved: " + error, kTrafficCaption,
                          kt::protocol::MsgIcon::Error);
}

void TrafficView::ClearClick() {
    recorder_.Clear();
    Refresh();
}

}  // namespace kt::app
