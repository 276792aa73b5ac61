#include "ui/PacketViewPanel.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSlider>
#include <QTableView>
#include <QVBoxLayout>
#include <fstream>

#include "packets/RecordingFormat.h"
#include "ui/HostText.h"
#include "ui/PacketRowDelegate.h"
#include "ui/PacketTableModel.h"

namespace kestrel {
namespace {

// Column widths in average characters.
constexpr int kColumnChars[PacketTableModel::ColumnCount] = {7, 11, 8, 7, 6, 4, 5, 5, 14, 44, 40};
// The kind choices after "All kinds", in FrameKind order.
constexpr int kFirstKindChoice = 1;

}  // namespace

PacketViewPanel::PacketViewPanel(const PacketStore& store, bool playback, QWidget* parent)
    : QWidget(parent) {
    m_model = new PacketTableModel(store, this);

    m_direction = new QComboBox(this);
    m_direction->addItems({tr("Both directions"), tr("Sent"), tr("Received")});
    m_kind = new QComboBox(this);
    m_kind->addItem(tr("All kinds"));
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        m_kind->addItem(QString::fromLatin1(FrameKindName(static_cast<FrameKind>(kind))));
    }
    auto* copy = new QPushButton(tr("&Copy"), this);
    auto* exportCsv = new QPushButton(tr("&Export CSV..."), this);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setItemDelegate(new PacketRowDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setWordWrap(false);
    // Texts are cut at the cell's edge: no eliding, which lays every long text out again at
    // each paint.
    m_table->setTextElideMode(Qt::ElideNone);
    m_table->setAlternatingRowColors(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows, so a million of them cost nothing.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int charWidth = m_table->fontMetrics().averageCharWidth();
    for (int column = 0; column < PacketTableModel::ColumnCount; ++column) {
        m_table->setColumnWidth(column, kColumnChars[column] * charWidth + charWidth);
    }

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("Show:"), this));
    bar->addWidget(m_direction);
    bar->addWidget(m_kind);
    bar->addStretch(1);
    bar->addWidget(copy);
    bar->addWidget(exportCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);
    if (playback) {
        m_slider = new QSlider(Qt::Horizontal, this);
        m_slider->setAccessibleName(tr("Step through the recording"));
        layout->addWidget(m_slider);
        connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
            if (value != m_table->currentIndex().row()) {
                m_table->selectRow(value);
            }
        });
    }
    layout->addWidget(m_status);

    connect(m_direction, &QComboBox::currentIndexChanged, this,
            &PacketViewPanel::ApplyFilterChoice);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &PacketViewPanel::ApplyFilterChoice);
    connect(copy, &QPushButton::clicked, this, &PacketViewPanel::CopySelectedRows);
    connect(exportCsv, &QPushButton::clicked, this, &PacketViewPanel::ExportChosenFile);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });
    auto* copyKey = new QShortcut(QKeySequence::Copy, m_table, nullptr, nullptr,
                                  Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, &PacketViewPanel::CopySelectedRows);
    UpdateSliderRange();
}

const PacketFilter& PacketViewPanel::Filter() const {
    return m_model->Filter();
}

void PacketViewPanel::SetFilter(const PacketFilter& filter) {
    const QSignalBlocker directionBlock(m_direction);
    const QSignalBlocker kindBlock(m_kind);
    m_direction->setCurrentIndex(filter.sent == filter.received ? 0 : (filter.sent ? 1 : 2));
    int kind = 0;
    for (int k = 0; k < kFrameKindCount; ++k) {
        const bool only = filter.kinds[static_cast<size_t>(k)] &&
                          std::count(filter.kinds.begin(), filter.kinds.end(), true) == 1;
        if (only) {
            kind = k + kFirstKindChoice;
        }
    }
    m_kind->setCurrentIndex(kind);
    m_model->SetFilter(filter);
    UpdateSliderRange();
}

void PacketViewPanel::ApplyFilterChoice() {
    PacketFilter filter;
    filter.sent = m_direction->currentIndex() != 2;
    filter.received = m_direction->currentIndex() != 1;
    const int kind = m_kind->currentIndex();
    if (kind >= kFirstKindChoice) {
        filter.kinds.fill(false);
        filter.kinds[static_cast<size_t>(kind - kFirstKindChoice)] = true;
    }
    m_model->SetFilter(filter);
    UpdateSliderRange();
    emit filterChanged();
}

void PacketViewPanel::TakeNewRows() {
    QScrollBar* scroll = m_table->verticalScrollBar();
    const bool atEnd = scroll->value() >= scroll->maximum();
    m_model->TakeNewRows();
    UpdateSliderRange();
    if (atEnd && m_slider == nullptr) {
        m_table->scrollToBottom();
    }
}

void PacketViewPanel::TakeDroppedRows() {
    m_model->TakeDroppedRows();
    UpdateSliderRange();
}

void PacketViewPanel::UpdateSliderRange() {
    if (m_slider != nullptr) {
        m_slider->setRange(0, std::max(0, m_model->rowCount() - 1));
    }
}

void PacketViewPanel::SetStatusText(const QString& text) {
    m_status->setText(text);
}

void PacketViewPanel::ChooseStoreRow(size_t storeRow) {
    const int viewRow = m_model->ViewRow(storeRow);
    if (viewRow >= 0) {
        m_table->selectRow(viewRow);
        m_table->scrollTo(m_model->index(viewRow, 0));
    }
}

void PacketViewPanel::CurrentRowChanged(int viewRow) {
    if (viewRow < 0 || viewRow >= m_model->rowCount()) {
        return;
    }
    if (m_slider != nullptr && m_slider->value() != viewRow) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(viewRow);
    }
    emit rowChosen(m_model->StoreRow(viewRow));
}

void PacketViewPanel::CopySelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    if (!rows.empty()) {
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(m_model->RecordingLines(rows)));
    }
}

bool PacketViewPanel::ExportCsv(const QString& path, QString* error) const {
    std::ofstream out(QStringToFileName(path), std::ios::binary | std::ios::trunc);
    out << kRecordingMagic << '\n' << kRecordingColumns << '\n' << m_model->AllRecordingLines();
    out.flush();
    if (!out) {
        *error = tr("The file %1 cannot be written.").arg(path);
        return false;
    }
    return true;
}

void PacketViewPanel::ExportChosenFile() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Export packets"), QString(),
                                                      tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    SetStatusText(ExportCsv(path, &error) ? tr("Exported to %1.").arg(path) : error);
}

}  // namespace kestrel
