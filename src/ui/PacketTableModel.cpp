#include "ui/PacketTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "commlog/TrafficCapture.h"
#include "packets/RecordingFormat.h"
#include "platform/AsciiText.h"
#include "ui/Cp1252QString.h"

namespace kestrel {
namespace {

// The log pane's colours for the two directions, and a mismatch's background.
const QColor kSentColour(51, 153, 102);
const QColor kReceivedColour(0, 0, 255);
const QColor kMismatchBackground(255, 205, 205);
constexpr int kHexDigitsOfCrc = 4;
constexpr double kMicrosecondsPerMs = 1000.0;
constexpr int kTimeDecimals = 3;
// Bytes shown in the bytes column; the tooltip and a copy have all of them.
constexpr size_t kShownBytes = 24;

QString HexBytes(std::span<const uint8_t> bytes, size_t most) {
    QString text;
    text.reserve(static_cast<qsizetype>(std::min(bytes.size(), most) * 3 + 3));
    for (size_t i = 0; i < bytes.size() && i < most; ++i) {
        if (i > 0) {
            text += QLatin1Char(' ');
        }
        text += QLatin1Char(kUpperHexDigits[bytes[i] >> 4]);
        text += QLatin1Char(kUpperHexDigits[bytes[i] & 0xF]);
    }
    if (bytes.size() > most) {
        text += QStringLiteral(" ...");
    }
    return text;
}

QString Hex(int value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

PacketTableModel::PacketTableModel(const PacketStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {
    m_taken = store.RowCount();
}

int PacketTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(m_all ? m_taken : m_shown.size());
}

int PacketTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

size_t PacketTableModel::StoreRow(int viewRow) const {
    return m_all ? static_cast<size_t>(viewRow) : m_shown[static_cast<size_t>(viewRow)];
}

int PacketTableModel::ViewRow(size_t storeRow) const {
    if (storeRow >= m_taken) {
        return -1;
    }
    if (m_all) {
        return static_cast<int>(storeRow);
    }
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), storeRow);
    return found != m_shown.end() && *found == storeRow ? static_cast<int>(found - m_shown.begin())
                                                        : -1;
}

const FrameFacts& PacketTableModel::FactsOf(size_t storeRow) const {
    if (storeRow != m_factsRow) {
        const PacketRow& row = m_store.Row(storeRow);
        m_facts = DescribeFrame(row.kind, row.direction, m_store.Bytes(storeRow), row.printerMode);
        m_factsRow = storeRow;
    }
    return m_facts;
}

QVariant PacketTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const size_t storeRow = StoreRow(index.row());
    const PacketRow& row = m_store.Row(storeRow);
    if (role == Qt::BackgroundRole) {
        return row.crcMismatch ? QVariant(QBrush(kMismatchBackground)) : QVariant();
    }
    if (role == Qt::ForegroundRole) {
        if (row.kind == FrameKind::Mode) {
            return QVariant();
        }
        return QBrush(row.direction == TrafficSent ? kSentColour : kReceivedColour);
    }
    if (role == Qt::TextAlignmentRole) {
        const int column = index.column();
        const bool number = column == Number || column == Time || column == Length;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role == Qt::ToolTipRole && index.column() == BytesColumn) {
        return HexBytes(m_store.Bytes(storeRow), SIZE_MAX);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    const FrameFacts& facts = FactsOf(storeRow);
    switch (index.column()) {
        case Number:
            return QString::number(m_store.RowsDropped() + storeRow + 1);
        case Time:
            return QString::number(static_cast<double>(row.timeUs) / kMicrosecondsPerMs, 'f',
                                   kTimeDecimals);
        case Direction:
            return row.direction == TrafficSent       ? tr("Sent")
                   : row.direction == TrafficReceived ? tr("Received")
                                                      : QString();
        case Kind:
            return QString::fromLatin1(FrameKindName(row.kind));
        case Length:
            return row.kind == FrameKind::Mode ? QString() : QString::number(facts.length);
        case Sequence:
            return facts.sequence ? QString::number(*facts.sequence) : QString();
        case Type:
            return facts.type ? QStringLiteral("0x") + Hex(*facts.type, 2) : QString();
        case Crc:
            return facts.packetCrc ? Hex(*facts.packetCrc, kHexDigitsOfCrc) : QString();
        case Computed:
            if (!facts.computedCrc) {
                return QString();
            }
            return Hex(*facts.computedCrc, kHexDigitsOfCrc) +
                   (facts.crcMismatch ? tr(" mismatch") : QString());
        case Meaning:
            return Cp1252ToQString(facts.meaning);
        case BytesColumn:
            return HexBytes(m_store.Bytes(storeRow), kShownBytes);
        default:
            return QVariant();
    }
}

QVariant PacketTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (section) {
        case Number:
            return tr("#");
        case Time:
            return tr("Time (ms)");
        case Direction:
            return tr("Direction");
        case Kind:
            return tr("Kind");
        case Length:
            return tr("Length");
        case Sequence:
            return tr("Seq");
        case Type:
            return tr("Type");
        case Crc:
            return tr("CRC");
        case Computed:
            return tr("Calculated");
        case Meaning:
            return tr("Meaning");
        case BytesColumn:
            return tr("Bytes");
        default:
            return QVariant();
    }
}

void PacketTableModel::SetFilter(const PacketFilter& filter) {
    beginResetModel();
    m_filter = filter;
    Rebuild();
    endResetModel();
}

void PacketTableModel::Rebuild() {
    m_factsRow = SIZE_MAX;
    m_taken = m_store.RowCount();
    m_all = m_filter.AcceptsAll();
    m_shown.clear();
    if (m_all) {
        return;
    }
    for (size_t row = 0; row < m_taken; ++row) {
        if (m_filter.Accepts(m_store.Row(row))) {
            m_shown.push_back(static_cast<uint32_t>(row));
        }
    }
}

void PacketTableModel::TakeNewRows() {
    const size_t rows = m_store.RowCount();
    if (rows <= m_taken) {
        return;
    }
    if (m_all) {
        beginInsertRows(QModelIndex(), static_cast<int>(m_taken), static_cast<int>(rows - 1));
        m_taken = rows;
        endInsertRows();
        return;
    }
    std::vector<uint32_t> added;
    for (size_t row = m_taken; row < rows; ++row) {
        if (m_filter.Accepts(m_store.Row(row))) {
            added.push_back(static_cast<uint32_t>(row));
        }
    }
    m_taken = rows;
    if (added.empty()) {
        return;
    }
    const auto first = static_cast<int>(m_shown.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
    m_shown.insert(m_shown.end(), added.begin(), added.end());
    endInsertRows();
}

void PacketTableModel::TakeDroppedRows() {
    beginResetModel();
    Rebuild();
    endResetModel();
}

std::string PacketTableModel::RecordingLines(const std::vector<int>& viewRows) const {
    std::string lines;
    for (const int viewRow : viewRows) {
        if (viewRow >= 0 && viewRow < rowCount()) {
            AppendRecordingLine(m_store.View(StoreRow(viewRow)), lines);
        }
    }
    return lines;
}

std::string PacketTableModel::AllRecordingLines() const {
    std::string lines;
    const int rows = rowCount();
    for (int viewRow = 0; viewRow < rows; ++viewRow) {
        AppendRecordingLine(m_store.View(StoreRow(viewRow)), lines);
    }
    return lines;
}

}  // namespace kestrel
