// Command sending and the printer modes: Send Command and its history, the four mode boxes,
// Debug Mode, Reset, Disable Sequence Bits and the Hex/Text choice of the log.
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleGroups.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "notation/EncodeCommandText.h"
#include "status/PrinterMode.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr uint32_t kSendTotalTimeoutMs = 1000;
constexpr uint32_t kSendIntervalTimeoutMs = 10;
constexpr uint32_t kIdleTimeoutMs = 1;
constexpr uint32_t kResetBreakMs = 500;

}  // namespace

int CKestrelDlg::SendFramed(const uint8_t* bytes, int count, bool ventrixFraming) {
    m_app.m_ioComm.SetTimeouts(kSendTotalTimeoutMs, kSendIntervalTimeoutMs);
    const int sent = m_app.Transmit(bytes, count, ventrixFraming ? 1 : 0);
    m_app.m_ioComm.SetTimeouts(kIdleTimeoutMs, kIdleTimeoutMs);
    NoticeLostConnection();
    return sent;
}

void CKestrelDlg::OnSendCommand() {
    const std::string bytes = EncodeCommandBytes(Host().GetItemText(IDC_CMDCOMBO));
    const bool ventrix = m_app.m_printerMode == static_cast<int>(PrinterMode::Ventrix);
    if (ventrix && bytes.size() > static_cast<size_t>(kVentrixMaximumCommand)) {
        Host().MessageBox(kTooLongForPacketText, kErrorCaption, kMbOk);
        return;
    }
    // An empty box or a comment alone converts to nothing: there is nothing to send.
    if (!bytes.empty()) {
        SendFramed(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
                   ventrix);
    }
    m_repeatAction = kRepeatSendCommand;
    m_logRefreshPending = 1;
    Host().SetTimer(TIMER_LOG_REFRESH, kLogRefreshPeriodMs);
}

void CKestrelDlg::RememberComboText(int comboId, CommandHistory& history) {
    const std::string text = Host().GetItemText(comboId).substr(0, kHistoryTextMax);
    if (history.Add(text)) {
        Host().InsertString(comboId, 0, text);
    }
}

void CKestrelDlg::OnCommandComboKillFocus() {
    RememberComboText(IDC_CMDCOMBO, m_cmdHistory);
}

void CKestrelDlg::OnSmartMode() {
    if (Host().IsButtonChecked(IDC_SMARTMODE)) {
        Host().CheckButton(IDC_NORMALMODE, 0);
        Host().CheckButton(IDC_VENTRIXMODE, 0);
        Host().CheckButton(IDC_SERIALPACKETMODE, 0);
        OnVentrixMode();
        m_app.m_printerMode = static_cast<int>(PrinterMode::Smart);
        Host().SetItemText(IDC_POLLCOMBO, kSmartPollCommand);
        ShowGroup(kSmartGroup.data(), kSmartGroup.size(), true, false);
    } else {
        ShowGroup(kSmartGroup.data(), kSmartGroup.size(), false, false);
    }
}

void CKestrelDlg::OnSerialPacketMode() {
    if (!Host().IsButtonChecked(IDC_SERIALPACKETMODE)) {
        return;
    }
    Host().CheckButton(IDC_SMARTMODE, 0);
    Host().CheckButton(IDC_NORMALMODE, 0);
    Host().CheckButton(IDC_VENTRIXMODE, 0);
    OnVentrixMode();
    m_app.m_printerMode = static_cast<int>(PrinterMode::SerialPacket);
    Host().SetItemText(IDC_POLLCOMBO, kSmartPollCommand);
}

void CKestrelDlg::OnNormalMode() {
    if (!Host().IsButtonChecked(IDC_NORMALMODE)) {
        return;
    }
    Host().CheckButton(IDC_SMARTMODE, 0);
    Host().CheckButton(IDC_VENTRIXMODE, 0);
    Host().CheckButton(IDC_SERIALPACKETMODE, 0);
    OnSmartMode();
    OnVentrixMode();
    OnSerialPacketMode();
    m_app.m_printerMode = static_cast<int>(PrinterMode::Normal);
}

void CKestrelDlg::OnVentrixMode() {
    if (Host().IsButtonChecked(IDC_VENTRIXMODE)) {
        Host().CheckButton(IDC_NORMALMODE, 0);
        Host().CheckButton(IDC_SMARTMODE, 0);
        Host().CheckButton(IDC_SERIALPACKETMODE, 0);
        OnSmartMode();
        OnSerialPacketMode();
        OnNormalMode();
        m_app.m_printerMode = static_cast<int>(PrinterMode::Ventrix);
        Host().SetItemText(IDC_POLLCOMBO, kVentrixPollCommand);
        ShowGroup(kVentrixGroup.data(), kVentrixGroup.size(), true, false);
    } else {
        ShowGroup(kVentrixGroup.data(), kVentrixGroup.size(), false, false);
    }
}

void CKestrelDlg::OnDebugMode() {
    const bool show = Host().IsButtonChecked(IDC_DEBUGMODE) != 0;
    if (show) {
        OnVentrixMode();
    }
    if (CommLogPane* pane = Host().LogPane()) {
        pane->SetEnabled(show);
    }
    Host().ShowItem(IDC_COMMLOG, show);
    Host().RedrawWindow(show);
    ShowGroup(kDebugGroup.data(), kDebugGroup.size(), show, true);
    Host().ShowMenuItem(ID_SENDBINARYFILE, kSendBinaryMenuText, show);
    m_modemLines.Show(Host(), show);
}

void CKestrelDlg::OnReset() {
    m_app.m_sequence.Reset();
    m_app.m_ioComm.SetBreak();
    m_app.GetClock().Sleep(kResetBreakMs);
    m_app.m_ioComm.ClearBreak();
}

void CKestrelDlg::OnDisableSequenceBits() {
    m_app.m_sequence.m_sequenceBitsDisabled = Host().IsButtonChecked(IDC_DISABLESEQUENCE) ? 1 : 0;
}

void CKestrelDlg::OnHexText() {
    m_app.m_hexDisplay = Host().IsButtonChecked(IDC_HEX) ? 1 : 0;
    m_app.RenderCommLog(1);
}

}  // namespace kestrel
