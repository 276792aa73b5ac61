// The console object itself: persisted values, initialisation, the COMM button, painting and
// the routing of commands to their handlers.
#include "console/CKestrelDlg.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/CKestrelApp.h"
#include "console/CommDataPath.h"
#include "console/CommLogCommands.h"
#include "console/ConsoleGroups.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/DialogInt.h"
#include "console/PortDialog.h"
#include "console/TimerIds.h"
#include "status/PrinterMode.h"

namespace kestrel {
namespace {

constexpr const char* kCmdSaveValue = "CmdSave";
constexpr const char* kPollCmdSaveValue = "PollCmdSave";
constexpr const char* kCommDataPathValue = "CommDataFilePathName";
constexpr const char* kBottomPictureFile = "PictBottom.bmp";
constexpr const char* kDefaultCommands[] = {"[ESC]@", "[ESC][ENQ]1", "[ESC]V"};
constexpr const char* kDefaultPollCommand = "[GS]y";
constexpr const char* kFactoryPortName = "COM1";

// Reads a stored history image; a missing, unreadable or oversized value leaves it free.
void ReadHistory(const SettingsKey& key, const char* name, CommandHistory& history) {
    unsigned char bytes[kHistoryBytes] = {};
    size_t size = 0;
    history.Clear();
    if (key.ReadBinary(name, bytes, sizeof bytes, &size)) {
        history.Load(bytes, size);
    }
}

}  // namespace

CKestrelDlg::CKestrelDlg(CKestrelApp& app, ProcessPriority& priority)
    : m_app(app), m_priority(priority) {
    std::unique_ptr<SettingsKey> key = m_app.m_ioComm.OpenSettingsKey();
    bool havePath = false;
    if (key) {
        ReadHistory(*key, kCmdSaveValue, m_cmdHistory);
        ReadHistory(*key, kPollCmdSaveValue, m_pollHistory);
        char path[kCommDataPathBufferSize] = {};
        size_t size = 0;
        if (key->ReadBinary(kCommDataPathValue, path, sizeof path, &size)) {
            m_commDataPath.assign(path, strnlen(path, size));
            havePath = true;
        }
    }
    if (!havePath) {
        m_commDataPath = DefaultCommDataPath();
    }
    m_repeatAction = kRepeatNothing;
}

CKestrelDlg::~CKestrelDlg() {
    // The window goes with the console: later messages of the application have no owner.
    if (m_host != nullptr && m_app.m_messageOwner == m_host) {
        m_app.m_messageOwner = nullptr;
        m_app.m_commLogPane = nullptr;
    }
    if (m_skipSettingsSave) {
        return;
    }
    if (std::unique_ptr<SettingsKey> key = m_app.m_ioComm.OpenSettingsKey()) {
        key->SetBinary(kCmdSaveValue, m_cmdHistory.Bytes(), kHistoryBytes);
        key->SetBinary(kPollCmdSaveValue, m_pollHistory.Bytes(), kHistoryBytes);
        key->SetString(kCommDataPathValue, m_commDataPath.c_str(), m_commDataPath.size() + 1);
    }
}

bool CKestrelDlg::OnInitDialog() {
    m_app.m_messageOwner = m_host;
    m_app.m_commLogPane = Host().LogPane();
    Host().AppendSystemMenuItem(0, "");
    Host().AppendSystemMenuItem(kIdmAboutBox, kAboutMenuText);
    LoadReconnectChoice();
    m_status.Clear();
    Host().SetTimer(TIMER_STATUS_READ, kStatusReadPeriodMs);
    Host().SetTimer(TIMER_LOG_REFRESH, kLogRefreshPeriodMs);
    FillDemoList();
    Host().LoadPicture(PictureSlot::Bottom, kBottomPictureFile);
    for (const int button : {IDC_EXITIMAGE, IDC_COMM, IDC_PRINT, IDC_STATUS}) {
        Host().SetButtonImages(button, PictureButtonImages(button));
    }

    if (m_cmdHistory.IsFree(0)) {
        for (const char* command : kDefaultCommands) {
            Host().AddString(IDC_CMDCOMBO, command);
        }
    }
    for (const std::string& text : m_cmdHistory.Texts()) {
        Host().AddString(IDC_CMDCOMBO, text);
    }
    if (m_pollHistory.IsFree(0)) {
        Host().AddString(IDC_POLLCOMBO, kDefaultPollCommand);
    }
    for (const std::string& text : m_pollHistory.Texts()) {
        Host().AddString(IDC_POLLCOMBO, text);
    }

    Host().CheckButton(IDC_SMARTMODE, 0);
    Host().CheckButton(IDC_TEXT, 1);
    m_app.m_hexDisplay = 0;
    Host().SetItemText(IDC_POLLINTERVAL, "600");
    Host().SetItemText(IDC_REPEATINTERVAL, "20000");
    Host().SetItemText(IDC_REPEATCOUNT, "99999");

    if (CommLogPane* pane = Host().LogPane()) {
        std::string ignored;
        LoadCommLog(*pane, m_commDataPath, &ignored);
    }
    if (!m_app.m_ventrixOption) {
        Host().ShowItem(IDC_VENTRIXMODE, false);
    }
    if (m_app.m_factOption) {
        Host().CheckButton(IDC_SMARTMODE, 0);
        Host().CheckButton(IDC_SERIALPACKETMODE, 1);
        m_app.m_portName = kFactoryPortName;
    }
    OnSmartMode();
    OnDebugMode();
    OnVentrixMode();
    OnSerialPacketMode();

    std::string error;
    if (!m_priority.Raise(&error)) {
        m_app.WriteAppLog("Could not raise the process priority: " + error);
    }

    if (!m_app.m_cmdLineFile.empty()) {
        if (m_app.m_ventrixOption) {
            m_app.m_printerMode = static_cast<int>(PrinterMode::Ventrix);
        }
        Host().SetWindowState(WindowState::Hidden);
        Host().SetWindowState(WindowState::MinimizedNoActivate);
        Host().SetTimer(TIMER_CMDLINE_JOB, kCmdLineJobDelayMs);
    }
    return true;
}

void CKestrelDlg::OnCommand(int id, int notification) {
    switch (id) {
        case IDC_COMM:
            OnCommButton();
            return;
        case IDC_PRINT:
            OnPrint();
            return;
        case IDC_EXITIMAGE:
            OnExitButton();
            return;
        case IDC_STATUS:
            OnHelpButton();
            return;
        case IDC_REPEAT:
            OnRepeatCheck();
            return;
        case IDC_BROWSE:
            OnBrowse();
            return;
        case ID_SENDBINARYFILE:
            OnSendBinaryFile();
            return;
        case ID_RECONNECTAUTOMATICALLY:
            OnReconnectChoice();
            return;
        case IDC_SENDCOMMAND:
            OnSendCommand();
            return;
        case IDC_RESET:
            OnReset();
            return;
        case IDC_DEBUGMODE:
            OnDebugMode();
            return;
        case IDC_VENTRIXMODE:
            OnVentrixMode();
            return;
        case IDC_SMARTMODE:
            OnSmartMode();
            return;
        case IDC_NORMALMODE:
            OnNormalMode();
            return;
        case IDC_SERIALPACKETMODE:
            OnSerialPacketMode();
            return;
        case IDC_DISABLESEQUENCE:
            OnDisableSequenceBits();
            return;
        case IDC_MONITOR:
            OnMonitorCheck();
            return;
        case IDC_HEX:
        case IDC_TEXT:
            OnHexText();
            return;
        case IDC_POLLBUTTON:
            OnPollButton();
            return;
        case IDC_SAVECOMMDATA:
            if (CommLogPane* pane = Host().LogPane()) {
                SaveCommData(Host(), *pane, m_commDataPath);
            }
            return;
        case IDC_STOPLOGGING:
            ToggleLogging(Host());
            return;
        case IDC_CLEARCOMMLOG:
            ClearCommLog(m_app.m_capture, [this](int force) { return m_app.RenderCommLog(force); });
            return;
        default:
            break;
    }
    if (m_modemLines.OnToggle(Host(), m_app.m_ioComm, id)) {
        return;
    }
    if (id == IDC_DEMOLIST && notification == kLbnSelChange) {
        OnDemoSelectionChange();
    } else if (id == IDC_CMDCOMBO && notification == kCbnKillFocus) {
        OnCommandComboKillFocus();
    } else if (id == IDC_POLLCOMBO && notification == kCbnKillFocus) {
        OnPollComboKillFocus();
    }
}

void CKestrelDlg::ShowPortIdentity() {
    char line[kPortIdentityBufferSize];
    std::snprintf(line, sizeof line, kPortIdentityFormat, m_app.m_portName.c_str());
    Host().SetItemText(IDC_INFOLINE1, line);
}

void CKestrelDlg::OnCommButton() {
    if (m_waitingForPort) {
        StopWaitingForPort();
        return;
    }
    PortDialog portDialog(m_app);
    ShowPortIdentity();
    if (m_portOpen) {
        m_app.m_ioComm.Close();
        m_portOpen = false;
        Host().SetButtonImages(IDC_COMM, kCommOpenImages);
    } else {
        Host().RunDialog(IDD_PORTDIALOG, portDialog);
        if (m_leaving) {
            return;  // a signal closed the console meanwhile: no port is opened for it
        }
        if (OpenSelectedPortShowingWait() != 0) {
            m_portOpen = true;
            Host().SetButtonImages(IDC_COMM, kCommCloseImages);
        } else {
            m_portOpen = false;
            Host().MessageBox(m_app.ReportPortFailure(kCannotCommunicateText), kErrorCaption,
                              kMbOk);
        }
    }
    ShowPortIdentity();
}

void CKestrelDlg::OnPaint() {
    if (Host().IsMinimized()) {
        Host().DrawIconCentred();
        return;
    }
    if (!Host().IsButtonChecked(IDC_DEBUGMODE)) {
        Host().DrawPicture(PictureSlot::Preview, kPreviewRect);
        Host().DrawPicture(PictureSlot::Bottom, kBottomPictureRect);
    }
}

void CKestrelDlg::WriteAppLog(const std::string& text) {
    m_app.WriteAppLog(text);
}

std::string CKestrelDlg::CommLogText() {
    CommLogPane* pane = Host().LogPane();
    return pane != nullptr ? pane->Text() : std::string();
}

int CKestrelDlg::GetItemInt(int id) const {
    return ReadDialogInt(m_host->GetItemText(id));
}

void CKestrelDlg::SetItemInt(int id, int value) {
    Host().SetItemText(id, std::to_string(value));
}

void CKestrelDlg::ShowGroup(const int* ids, size_t count, bool show, bool enable) {
    for (size_t i = 0; i < count; ++i) {
        Host().ShowItem(ids[i], show);
        if (enable) {
            Host().EnableItem(ids[i], show);
        }
    }
}

}  // namespace kestrel
