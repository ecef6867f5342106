// "Option" > "Traffic...": a window of its own (not modal) with the traffic
// recorder's entries, one a row: time, direction, the bytes in the log's
// escapes and, when "Hex" is ticked, in hex. Follows new entries while
// scrolled to the end; "Copy" copies the selected rows (all when none is
// selected) and "Save As..." saves every entry shown, both in the log's file
// format; "Clear" empties the list (the session log keeps everything).
#pragma once

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <cstdint>

#include "traffic/TrafficRecorder.h"

namespace kt::app {

class TForm1;

inline constexpr const char* kTrafficCaption = "Traffic";
inline constexpr const char* kSaveTrafficCaption = "Save Traffic As";

// The recorder's ring as a list model. It catches up with the recorder when
// Refresh() runs (the view calls it four times a second while shown), so a
// flooding line costs one update per refresh, not one per entry.
class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { TimeColumn, DirectionColumn, TextColumn, HexColumn, ColumnCount };
    // The list shows the start of a longer entry, about what a row's width
    // holds (Copy and Save As take entries whole): laying out the text of
    // kilobytes in every visible row would slow the list under a flood.
    static constexpr size_t kShownChars = 300;

    explicit TrafficModel(const kt::traffic::TrafficRecorder& recorder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows of entries the ring dropped go, new entries come in, a send still
    // growing is updated.
    void Refresh();
    // The recorder's sequence number of a row.
    uint64_t SeqOf(int row) const { return first_ + static_cast<uint64_t>(row); }

  private:
    const kt::traffic::TrafficRecorder& recorder_;
    uint64_t first_ = 0, end_ = 0;
    size_t lastSize_ = 0;
};

class TrafficView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 250;

    TrafficView(TForm1& form, kt::traffic::TrafficRecorder& recorder, QWidget* parent = nullptr);

    void CopyClick();
    void SaveAsClick();
    void ClearClick();
    // Catches up with the recorder now (the timer does it while shown).
    void Refresh();

    TrafficModel* Model() const { return model_; }
    QTreeView* List = nullptr;
    QCheckBox* HexBox = nullptr;
    QPushButton* CopyBtn = nullptr;
    QPushButton* SaveAsBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QLabel* FileLabel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void ShowFile();

    TForm1& form_;
    kt::traffic::TrafficRecorder& recorder_;
    TrafficModel* model_;
    QTimer refresh_;
};

}  // namespace kt::app
