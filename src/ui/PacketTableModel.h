// The packet view's rows as a table over the session's PacketStore: only the rows in sight are
// ever described, so a million rows stay responsive; the filter keeps an index of the rows it
// lets through.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <vector>

#include "packets/FrameFacts.h"
#include "packets/PacketStore.h"

namespace kestrel {

class PacketTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        Number,
        Time,
        Direction,
        Kind,
        Length,
        Sequence,
        Type,
        Crc,
        Computed,
        Meaning,
        BytesColumn,
        ColumnCount
    };

    explicit PacketTableModel(const PacketStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const PacketFilter& Filter() const { return m_filter; }
    void SetFilter(const PacketFilter& filter);
    // The store took rows at its end: they are shown as far as the filter lets them.
    void TakeNewRows();
    // The store dropped its oldest rows.
    void TakeDroppedRows();

    size_t StoreRow(int viewRow) const;
    // The view row of a store row, or -1 when the filter hides it.
    int ViewRow(size_t storeRow) const;
    // The rows' recording lines, for copying and CSV export.
    std::string RecordingLines(const std::vector<int>& viewRows) const;
    std::string AllRecordingLines() const;

  private:
    const FrameFacts& FactsOf(size_t storeRow) const;
    void Rebuild();

    const PacketStore& m_store;
    PacketFilter m_filter;
    bool m_all = true;              // the filter lets every row through: no index is kept
    std::vector<uint32_t> m_shown;  // store rows the filter lets through, while not m_all
    size_t m_taken = 0;             // store rows looked at so far
    mutable size_t m_factsRow = SIZE_MAX;
    mutable FrameFacts m_facts;
};

}  // namespace kestrel
