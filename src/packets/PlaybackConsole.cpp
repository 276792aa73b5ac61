#include "packets/PlaybackConsole.h"

#include <algorithm>
#include <array>
#include <string>

#include "console/ConsoleGroups.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "status/PrinterMode.h"
#include "status/SmartRecordDecoder.h"
#include "status/SmartRecordTable.h"
#include "status/StatusBitTable.h"
#include "status/StatusDecoder.h"
#include "status/VentrixStatusDecoder.h"

namespace kestrel {
namespace {

// What stays usable: it changes only how the recording is shown.
constexpr std::array<int, 5> kPlaybackControls = {IDC_DEBUGMODE, IDC_HEX, IDC_TEXT, IDC_EXITIMAGE,
                                                  IDC_COMMLOG};
constexpr std::array<int, 4> kPictureButtons = {IDC_EXITIMAGE, IDC_COMM, IDC_PRINT, IDC_STATUS};

struct ModeBox {
    int printerMode;
    int checkBoxId;
};
constexpr std::array<ModeBox, 4> kModeBoxes = {{
    {static_cast<int>(PrinterMode::Smart), IDC_SMARTMODE},
    {static_cast<int>(PrinterMode::Normal), IDC_NORMALMODE},
    {static_cast<int>(PrinterMode::Ventrix), IDC_VENTRIXMODE},
    {static_cast<int>(PrinterMode::SerialPacket), IDC_SERIALPACKETMODE},
}};

// Playback writes no application log.
class SilentStatusLog : public StatusLog {
  public:
    void WriteAppLog(const std::string&) override {}
    std::string CommLogText() override { return std::string(); }
};

template <size_t N>
void ShowGroup(DialogHost& host, const std::array<int, N>& ids, bool show) {
    for (const int id : ids) {
        host.ShowItem(id, show);
    }
}

}  // namespace

PlaybackConsole::PlaybackConsole(const PacketStore& store, const PlaybackTimeline& timeline)
    : m_store(store), m_timeline(timeline), m_capture(std::make_unique<TrafficCapture>()) {}

bool PlaybackConsole::OnInitDialog() {
    DialogHost& host = *m_host;
    for (const TemplateControl& control : ConsoleTemplate().controls) {
        // The status display stays as bright as on the console; clicking it sends nothing.
        const bool usable =
            std::find(kPlaybackControls.begin(), kPlaybackControls.end(), control.id) !=
                kPlaybackControls.end() ||
            std::find(kSmartGroup.begin(), kSmartGroup.end(), control.id) != kSmartGroup.end() ||
            (std::find(kVentrixGroup.begin(), kVentrixGroup.end(), control.id) !=
                 kVentrixGroup.end() &&
             control.id != IDC_MONITOR && control.id != IDC_DISABLESEQUENCE);
        if (control.id != kNoControlId && !usable) {
            host.EnableItem(control.id, false);
        }
    }
    for (const int button : kPictureButtons) {
        host.SetButtonImages(button, PictureButtonImages(button));
    }
    host.CheckButton(IDC_DEBUGMODE, 1);
    host.CheckButton(IDC_HEX, 1);
    host.CheckButton(IDC_TEXT, 0);
    ShowGroup(host, kDebugGroup, true);
    if (CommLogPane* pane = host.LogPane()) {
        pane->SetEnabled(true);
    }
    if (m_store.RowCount() > 0) {
        ShowRow(0);
    } else {
        ShowMode(static_cast<int>(PrinterMode::None));
        Render();
    }
    return true;
}

void PlaybackConsole::OnCommand(int id, int /*notification*/) {
    DialogHost& host = *m_host;
    switch (id) {
        case IDC_DEBUGMODE: {
            const bool show = host.IsButtonChecked(IDC_DEBUGMODE) != 0;
            ShowGroup(host, kDebugGroup, show);
            host.RedrawWindow(show);
            return;
        }
        case IDC_HEX:
        case IDC_TEXT:
            m_hexDisplay = host.IsButtonChecked(IDC_HEX) ? 1 : 0;
            Render();
            return;
        case IDC_EXITIMAGE:
        case kIdCancel:
            host.EndDialog(kIdCancel);
            return;
        default:
            return;
    }
}

void PlaybackConsole::ShowRow(size_t row) {
    if (row >= m_store.RowCount()) {
        return;
    }
    m_row = row;
    m_timeline.CaptureAt(row, *m_capture);
    Render();
    ShowStatus(m_timeline.StatusAt(row));
}

void PlaybackConsole::Render() {
    m_renderer.Render(1, *m_capture, m_hexDisplay, 0, m_host->LogPane());
}

std::optional<TextSpan> PlaybackConsole::RowInPane(size_t row) const {
    if (row >= m_store.RowCount() || m_store.Row(row).size == 0) {
        return std::nullopt;
    }
    const int first = m_timeline.CaptureIndexOf(m_row, m_store.Row(row).sessionByte);
    const int last = m_timeline.CaptureIndexOf(m_row, m_store.LastSessionByte(row));
    if (first < 0 || last < 0) {
        return std::nullopt;
    }
    const auto begin = CommLogRecordCell(m_renderer.Content(), *m_capture, m_hexDisplay, first);
    const auto end = CommLogRecordCell(m_renderer.Content(), *m_capture, m_hexDisplay, last);
    if (!begin || !end) {
        return std::nullopt;
    }
    return TextSpan{begin->begin, end->end};
}

void PlaybackConsole::ShowStatus(const StatusRows& rows) {
    DialogHost& host = *m_host;
    ShowMode(rows.printerMode);
    SilentStatusLog log;
    int printerInError = 0;
    // The console's own decoder sets the display from the rows it was last set from.
    const auto decodeVentrix = [&](int64_t row) {
        const auto bytes = m_store.Bytes(static_cast<size_t>(row));
        DecodeVentrixStatus(bytes.data(), static_cast<int>(bytes.size()), host, log,
                            printerInError);
    };
    const auto decodeSmart = [&](int64_t row) {
        const auto bytes = m_store.Bytes(static_cast<size_t>(row));
        DecodeSmartRecord(bytes.data(), static_cast<int>(bytes.size()), host);
    };
    if (rows.ventrixStatus >= 0) {
        decodeVentrix(rows.ventrixStatus);
    } else {
        for (const StatusBitRow& bit : kStatusBitTable) {
            host.CheckButton(bit.checkBoxId, 0);
        }
    }
    if (rows.smartStatus >= 0) {
        decodeSmart(rows.smartStatus);
    } else {
        for (const SmartStatusBit& bit : kSmartStatusBitTable) {
            host.CheckButton(bit.checkBoxId, 0);
        }
    }
    const std::array<std::pair<int64_t, int>, 3> texts = {{{rows.smartInfoLine1, kSmartInfoLine1Id},
                                                           {rows.smartInfoLine2, kSmartInfoLine2Id},
                                                           {rows.smartState, kSmartStateTextId}}};
    for (const auto& [row, id] : texts) {
        if (row >= 0) {
            decodeSmart(row);
        } else {
            host.SetItemText(id, "");
        }
    }
    if (rows.smartPercent >= 0) {
        decodeSmart(rows.smartPercent);
    } else {
        host.SetProgressPos(kSmartProgressId, 0);
    }
}

void PlaybackConsole::ShowMode(int printerMode) {
    if (printerMode == m_shownMode) {
        return;
    }
    m_shownMode = printerMode;
    DialogHost& host = *m_host;
    for (const ModeBox& box : kModeBoxes) {
        host.CheckButton(box.checkBoxId, box.printerMode == printerMode ? 1 : 0);
    }
    host.ShowItem(IDC_VENTRIXMODE, true);
    ShowGroup(host, kSmartGroup, printerMode == static_cast<int>(PrinterMode::Smart));
    ShowGroup(host, kVentrixGroup, printerMode == static_cast<int>(PrinterMode::Ventrix));
}

}  // namespace kestrel
