// Ticket printing: the demo list and its preview, Print in line and whole-file mode, Repeat,
// Browse and the binary file sender.
#include "app/CKestrelApp.h"
#include "app/PortFailureText.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleGroups.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/TicketFile.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"
#include "platform/AtomicFile.h"
#include "platform/CurrentDirectory.h"
#include "platform/TerminationSignals.h"
#include "status/PrinterMode.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr size_t kDemoListMax = 500;
constexpr uint32_t kLinePauseRounds = 22;
// The pause's millisecond marks begin one later than its rounds (see PauseBetweenLines).
constexpr uint32_t kPauseMarkOffsetMs = 1;

// Marks a send in progress for as long as it runs, however it ends; its end takes a way out
// of the console that was asked for meanwhile.
class SendingScope {
  public:
    explicit SendingScope(CKestrelDlg& console) : m_console(console) { m_console.m_sending = true; }
    ~SendingScope() { m_console.EndSending(); }
    SendingScope(const SendingScope&) = delete;
    SendingScope& operator=(const SendingScope&) = delete;

  private:
    CKestrelDlg& m_console;
};

// What Transmit reports for these bytes when every one of them, framing included, went out.
int FramedCount(const std::string& bytes, bool ventrixFraming, int printerMode) {
    const int count = static_cast<int>(bytes.size());
    if (ventrixFraming) {
        // A null packet (type 0) and a lone start byte go out unframed.
        const bool framed = count >= 2 && static_cast<uint8_t>(bytes[1]) != kVentrixNullType;
        return framed ? count + kVentrixFramingBytes : count;
    }
    if (printerMode == static_cast<int>(PrinterMode::SerialPacket)) {
        return count + kSerialFramingBytes;
    }
    return count;
}

}  // namespace

void CKestrelDlg::FillDemoList() {
    Host().ResetContent(IDC_DEMOLIST);
    size_t found = 0;
    for (const std::string& title : ListDemoTitles(CurrentDirectory(), kDemoListMax, &found)) {
        Host().AddString(IDC_DEMOLIST, title);
    }
    if (found > kDemoListMax) {
        m_app.WriteAppLog("The demo folder holds " + std::to_string(found) +
                          " tickets; the first " + std::to_string(kDemoListMax) + " are listed.");
    }
}

void CKestrelDlg::OnDemoSelectionChange() {
    const int selected = Host().GetCurSel(IDC_DEMOLIST);
    if (selected == kListError) {
        return;
    }
    const std::string title = Host().GetItemString(IDC_DEMOLIST, selected);
    if (title.empty()) {
        return;
    }
    Host().ClearPicture(PictureSlot::Preview);
    // Only files are offered to the loader: a FIFO named like a preview must not block it.
    const auto load = [this](const std::string& path) {
        return IsRegularFile(path) && Host().LoadPicture(PictureSlot::Preview, path);
    };
    if (!load(title + kPreviewExtension)) {
        load(kNoPreviewFile);
    }
    Host().InvalidateRect(kPreviewRect, true);
}

void CKestrelDlg::OnPrint() {
    if (m_sending) {
        return;  // the ticket going out is finished first; this press is not queued
    }
    if (!m_portOpen) {
        Host().MessageBox(kPortNotOpenedText, kErrorCaption, kMbOk);
        return;
    }
    for (const int box : {IDC_MONITORSTATE, IDC_CRITICALDONE, IDC_NONCRITICALDONE}) {
        Host().SetItemText(box, "");
    }
    m_logRefreshPending = 1;
    Host().SetTimer(TIMER_LOG_REFRESH, kLogRefreshPeriodMs);
    m_repeatAction = kRepeatPrint;

    const int selected = Host().GetCurSel(IDC_DEMOLIST);
    if (selected == kListError) {
        m_app.ShowMessage(kSelectTicketText);
        return;
    }
    const std::string title = Host().GetItemString(IDC_DEMOLIST, selected);
    if (title.empty()) {
        m_app.ShowMessage(kTicketNotFoundText);
        return;
    }
    const std::string path = title + kTicketExtension;
    std::string error;
    if (m_app.m_printerMode == static_cast<int>(PrinterMode::Ventrix)) {
        if (SendTicketLines(path, true, &error) != 0) {
            StartMonitor();
        }
    } else {
        SendTicketWhole(path, &error);
    }
    if (!error.empty()) {
        m_app.ShowMessage(error);
    }
}

int CKestrelDlg::SendTicketLines(const std::string& path, bool pauseBetweenLines,
                                 std::string* error) {
    if (m_sending) {
        *error = kAlreadySendingText;
        return 0;
    }
    std::vector<std::string> lines;
    if (!PrepareTicket(path, TicketLayout::Lines, &lines, error)) {
        return 0;
    }
    SendingScope sending(*this);
    return SendTransmissions(lines, true, pauseBetweenLines, error);
}

int CKestrelDlg::SendTicketWhole(const std::string& path, std::string* error) {
    if (m_sending) {
        *error = kAlreadySendingText;
        return 0;
    }
    std::vector<std::string> whole;
    if (!PrepareTicket(path, TicketLayout::Whole, &whole, error)) {
        return 0;
    }
    SendingScope sending(*this);
    return SendTransmissions(whole, false, false, error);
}

int CKestrelDlg::SendTransmissions(const std::vector<std::string>& transmissions,
                                   bool ventrixFraming, bool pauseBetween, std::string* error) {
    const bool portWasOpen = m_portOpen;
    for (const std::string& bytes : transmissions) {
        m_bytesToSend += FramedCount(bytes, ventrixFraming, m_app.m_printerMode);
    }
    for (const std::string& bytes : transmissions) {
        // The program was asked to end: the transmission that went out last is the last.
        if (TerminationSignalArrived()) {
            *error = kEndingOnSignalText;
            return 0;
        }
        // Each transmission between the 1000/10 ms and the 1/1 ms time-outs.
        const int sent = SendFramed(reinterpret_cast<const uint8_t*>(bytes.data()),
                                    static_cast<int>(bytes.size()), ventrixFraming);
        m_bytesHandedOver += sent;
        if (sent != FramedCount(bytes, ventrixFraming, m_app.m_printerMode)) {
            const bool lostMeanwhile = portWasOpen && !m_portOpen;
            if (!lostMeanwhile) {  // a lost connection has been reported already
                *error = PortFailureText(kWriteToDeviceErrorText, m_app.m_ioComm);
            }
            return 0;
        }
        // The port closed while the events of the pause ran (a lost connection, the COMM
        // button): the rest of the ticket must not reach a port opened again meanwhile.
        if (pauseBetween && !PauseBetweenLines(portWasOpen) && &bytes != &transmissions.back()) {
            *error = kTicketInterruptedText;
            return 0;
        }
    }
    return 1;
}

bool CKestrelDlg::PauseBetweenLines(bool portWasOpen) {
    // Each round sleeps to the next millisecond mark from the start, so the oversleeping of
    // 22 separate 1 ms sleeps does not add up; the marks start one later, so on a clock of
    // whole milliseconds the pause is still at least 22 ms.
    Clock& clock = m_app.GetClock();
    const uint32_t start = clock.GetTickCount();
    bool portStayedOpen = true;
    for (uint32_t round = 1; round <= kLinePauseRounds; ++round) {
        const uint32_t elapsed = clock.GetTickCount() - start;
        const uint32_t mark = round + kPauseMarkOffsetMs;
        if (elapsed < mark) {
            clock.Sleep(mark - elapsed);
        }
        Host().DispatchWaitingEvents();
        if (portWasOpen && !m_portOpen) {
            portStayedOpen = false;
        }
    }
    return portStayedOpen;
}

void CKestrelDlg::OnRepeatCheck() {
    if (Host().IsButtonChecked(IDC_REPEAT)) {
        Host().SetTimer(TIMER_REPEAT, static_cast<uint32_t>(GetItemInt(IDC_REPEATINTERVAL)));
    } else {
        Host().KillTimer(TIMER_REPEAT);
    }
}

void CKestrelDlg::OnBrowse() {
    const std::string folder = Host().BrowseForFolder(kBrowseTitle, CurrentDirectory());
    if (!folder.empty() && !ChangeCurrentDirectory(folder)) {
        m_app.WriteAppLog("Could not make " + folder + " the demo folder.");
    }
    FillDemoList();
}

void CKestrelDlg::OnSendBinaryFile() {
    if (m_sending) {
        return;
    }
    for (const int box : {IDC_MONITORSTATE, IDC_CRITICALDONE, IDC_NONCRITICALDONE}) {
        Host().SetItemText(box, "");
    }
    m_logRefreshPending = 1;
    const std::string path = Host().OpenFileDialog(kBinaryFileFilter, CurrentDirectory());
    if (path.empty()) {
        return;
    }
    if (m_app.m_printerMode == static_cast<int>(PrinterMode::Ventrix)) {
        SendBinaryLines(path);
    } else {
        SendBinaryBlocks(path);
    }
}

void CKestrelDlg::SendBinaryBlocks(const std::string& path) {
    std::vector<std::string> blocks;
    std::string error;
    if (!PrepareBinaryBlocks(path, &blocks, &error)) {
        m_app.ShowMessage(error);
        return;
    }
    SendingScope sending(*this);
    if (SendTransmissions(blocks, false, false, &error) == 0) {
        Host().MessageBox(error, kAppName, kMbOk);
    }
}

// In Ventrix mode each line is one packet of the line's own bytes: without its line end, not
// converted, at most one packet's 252 bytes (a longer line refuses the file before anything is
// sent). Lines beginning with NUL, CR or LF are skipped, and the line pause follows each packet.
void CKestrelDlg::SendBinaryLines(const std::string& path) {
    std::vector<std::string> packets;
    std::string error;
    if (!PrepareBinaryLines(path, &packets, &error)) {
        m_app.ShowMessage(error);
        return;
    }
    {
        SendingScope sending(*this);
        if (SendTransmissions(packets, true, true, &error) == 0) {
            Host().MessageBox(error, kAppName, kMbOk);
            return;
        }
    }
    StartMonitor();
}

}  // namespace kestrel
