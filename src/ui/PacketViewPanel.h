// The packet view: every frame of a session in a table, filtered by direction and kind, rows
// copied and the view exported as CSV in the recording's own format. Live it follows new rows
// while the last row is in sight; in playback a slider steps through the rows. Choosing a row
// says so (rowChosen), so the log pane can select its bytes.
#pragma once

#include <QWidget>
#include <cstddef>

#include "packets/PacketStore.h"

class QComboBox;
class QLabel;
class QSlider;
class QTableView;

namespace kestrel {

class PacketTableModel;

class PacketViewPanel : public QWidget {
    Q_OBJECT

  public:
    // `playback` adds the slider that steps through the rows.
    PacketViewPanel(const PacketStore& store, bool playback, QWidget* parent = nullptr);

    PacketTableModel& Model() { return *m_model; }
    QTableView& Table() { return *m_table; }
    QSlider* Slider() { return m_slider; }
    void SetFilter(const PacketFilter& filter);
    const PacketFilter& Filter() const;
    // New rows at the store's end, or the store dropped its oldest.
    void TakeNewRows();
    void TakeDroppedRows();
    void SetStatusText(const QString& text);
    // Makes a store row the current one, as if chosen.
    void ChooseStoreRow(size_t storeRow);

    void CopySelectedRows() const;
    // Writes the rows the filter shows to `path`; false with `error` set when that fails.
    bool ExportCsv(const QString& path, QString* error) const;

  signals:
    void rowChosen(size_t storeRow);
    void filterChanged();

  private:
    void ApplyFilterChoice();
    void ExportChosenFile();
    void CurrentRowChanged(int viewRow);
    void UpdateSliderRange();

    PacketTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QComboBox* m_direction = nullptr;
    QComboBox* m_kind = nullptr;
    QLabel* m_status = nullptr;
    QSlider* m_slider = nullptr;
};

}  // namespace kestrel
