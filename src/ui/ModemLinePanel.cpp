#include "ui/ModemLinePanel.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>

#include "console/ControlIds.h"
#include "console/ModemLines.h"
#include "ui/Cp1252QString.h"
#include "ui/GroupBoxFrame.h"
#include "ui/LineLamp.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr const char* kPanelTitle = "Modem lines";
// In dialog units: the panel's left edge and width (the right-hand column), its two places and
// its rows inside.
constexpr int kPanelX = 351;
constexpr int kPanelWidth = 219;
constexpr int kPanelHeight = 46;
constexpr int kBelowIdentityY = 100;  // room for a second line of the lower one
constexpr int kBelowSmartGroupY = 256;
constexpr int kRowHeight = 10;
constexpr int kLampsRowY = 11;
constexpr int kTogglesRowY = 22;
constexpr int kNoteRowY = 33;
constexpr int kFirstColumnX = 8;
constexpr int kColumnWidth = 36;
constexpr int kNoteWidth = 205;

}  // namespace

ModemLinePanel::ModemLinePanel(QtDialogHost& host)
    : m_host(host), m_smartGroup(host.Control(IDC_SMARTGROUP)) {
    const DialogUnits& units = host.Units();
    m_panel = new QWidget(&host);
    m_panel->resize(units.ToPixels(0, 0, kPanelWidth, kPanelHeight).size());
    auto* frame = new GroupBoxFrame(QString::fromLatin1(kPanelTitle), m_panel);
    frame->setGeometry(m_panel->rect());
    m_panel->setAccessibleName(QString::fromLatin1(kPanelTitle));

    const auto row = [&](int column, int y, int width) {
        return units.ToPixels(kFirstColumnX + column * kColumnWidth, y, width, kRowHeight);
    };
    int column = 0;
    for (const ModemLineLamp& line : kModemLineLamps) {
        auto* lamp = new LineLamp(QString::fromLatin1(line.caption), m_panel);
        lamp->setGeometry(row(column++, kLampsRowY, kColumnWidth));
        lamp->setEnabled(false);
        host.AddPanelControl(line.id, lamp);
    }
    column = 0;
    for (const auto& [id, caption] :
         {std::pair{IDC_LINEDTR, "DTR"}, std::pair{IDC_LINERTS, "RTS"}}) {
        auto* toggle = new QCheckBox(QString::fromLatin1(caption), m_panel);
        toggle->setGeometry(row(column++, kTogglesRowY, kColumnWidth));
        toggle->setEnabled(false);
        host.AddPanelControl(id, toggle);
    }
    auto* note = new QLabel(m_panel);
    note->setGeometry(row(0, kNoteRowY, kNoteWidth));
    host.AddPanelControl(IDC_MODEMLINESNOTE, note);
    host.AddPanelControl(IDC_MODEMLINES, m_panel);

    if (m_smartGroup != nullptr) {
        m_smartGroup->installEventFilter(this);
    }
    Place();
    m_panel->hide();
}

bool ModemLinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_smartGroup &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        Place();
    }
    return QObject::eventFilter(watched, event);
}

void ModemLinePanel::Place() {
    const bool smart = m_smartGroup != nullptr && !m_smartGroup->isHidden();
    m_panel->move(m_host.Units()
                      .ToPixels(kPanelX, smart ? kBelowSmartGroupY : kBelowIdentityY, 1, 1)
                      .topLeft());
}

}  // namespace kestrel
