// The ways out of the console, the help page, the About box and the command-line file job.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/CKestrelApp.h"
#include "app/CommandLineHelp.h"
#include "app/PortFailureText.h"
#include "console/CAboutDlg.h"
#include "console/CKestrelDlg.h"
#include "console/CommDataPath.h"
#include "console/CommandLineJobFile.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "platform/TerminationSignals.h"
#include "status/PrinterMode.h"

namespace kestrel {
namespace {

constexpr size_t kSaveErrorBufferSize = 128;
// No real folder name comes near this; a longer answer is taken as no answer.
constexpr size_t kCurrentFolderLimit = 1 << 20;

// The current directory, or "" when it has none (it was deleted, say).
std::string CurrentFolder() {
    std::string buffer(256, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= kCurrentFolderLimit) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

}  // namespace

void CKestrelDlg::OnClose() {
    LeaveConsole(kIdCancel);
}

// Escape ends the console as the close box does, so the session's log is not lost.
void CKestrelDlg::OnCancel() {
    LeaveConsole(kIdCancel);
}

void CKestrelDlg::OnExitButton() {
    LeaveConsole(kIdOk);
}

void CKestrelDlg::LeaveConsole(int result) {
    if (m_leaving) {
        return;
    }
    if (m_sending) {
        // The ticket goes out whole first; EndSending takes the way out afterwards.
        if (m_pendingEndResult == 0) {
            m_pendingEndResult = result;
        }
        return;
    }
    m_leaving = true;
    SaveLogOnExit();
    Host().EndDialog(result);
}

void CKestrelDlg::EndSending() {
    m_sending = false;
    const int result = m_pendingEndResult;
    m_pendingEndResult = 0;
    if (result != 0) {
        LeaveConsole(result);
    }
}

void CKestrelDlg::SaveLogOnExit() {
    CommLogPane* pane = Host().LogPane();
    if (pane == nullptr) {
        return;
    }
    PrepareCommDataFolder(m_commDataPath);
    std::string error;
    errno = 0;
    if (pane->SaveFile(m_commDataPath, &error)) {
        return;
    }
    const int code = errno;
    char text[kSaveErrorBufferSize];
    if (code != 0) {
        std::snprintf(text, sizeof text, kSaveLogErrorFormat, code);
    } else {
        std::snprintf(text, sizeof text, "%s", kSaveLogAccessErrorText);
    }
    Host().MessageBox(text, kAppName, kMbOk);
}

void CKestrelDlg::OnHelpButton() {
    const std::string folder = CurrentFolder();
    if (folder.empty()) {
        return;
    }
    Host().OpenLocalPage(folder.back() == '/' ? folder + kHelpPageName
                                              : folder + "/" + kHelpPageName);
}

bool CKestrelDlg::OnSysCommand(unsigned commandId) {
    if ((commandId & kSysCommandMask) != kIdmAboutBox) {
        return false;
    }
    OnAboutBox();
    return true;
}

void CKestrelDlg::OnAboutBox() {
    CAboutDlg about;
    Host().RunDialog(IDD_ABOUTBOX, about);
}

void CKestrelDlg::RunCommandLineJob() {
    // Nobody may have to answer a message box during the job: messages go to the log only.
    DialogHost* const owner = m_app.m_messageOwner;
    m_app.m_messageOwner = nullptr;
    m_jobStarted = true;
    m_runningJob = true;
    const bool sent = RunJobSend();
    m_runningJob = false;
    m_app.m_messageOwner = owner;
    if (!sent && TerminationSignalArrived()) {
        m_app.m_jobExitCode = kExitJobFailed;  // also when the console stays open
    }
    if (!m_app.m_exitOption) {
        return;
    }
    // The run ends without the console's values and log being saved; the application still
    // saves the port name as it ends.
    m_app.m_jobExitCode = sent ? kExitSuccess : kExitJobFailed;
    m_skipSettingsSave = true;
    m_leaving = true;
    Host().EndDialog(kIdOk);
}

bool CKestrelDlg::RunJobSend() {
    const std::string path = m_app.m_cmdLineFile;
    std::string error;
    if (!CheckJobFile(path, &error)) {
        ReportJobFailure(error);
        return false;
    }
    if (m_app.OpenSelectedPort() == 0) {
        ReportJobFailure(PortFailureText(
            std::string(kCannotCommunicateText) + " (port " + m_app.m_portName + ")",
            m_app.m_ioComm));
        return false;
    }
    m_portOpen = true;
    Host().SetButtonImages(IDC_COMM, kCommCloseImages);
    ShowPortIdentity();

    const bool lineMode = m_app.m_printerMode == static_cast<int>(PrinterMode::Ventrix);
    m_bytesToSend = 0;
    m_bytesHandedOver = 0;
    const int whole = lineMode ? JobSendLines(path, &error) : JobSendWhole(path, &error);
    if (lineMode) {
        StartMonitor();
    }
    // The job has sent its file only when every byte has left the host, however slowly the
    // printer takes them; closing earlier drops what is still queued. A printer that takes
    // nothing for the stall limit ends the wait as a lost connection.
    IOComm& port = m_app.m_ioComm;
    const long notSent = m_bytesToSend - m_bytesHandedOver + port.WaitForOutputToLeave();
    const bool lost = port.ConnectionLost();
    port.Close();  // m_lastError keeps the reason
    m_portOpen = false;
    Host().SetButtonImages(IDC_COMM, kCommOpenImages);
    if (lost) {
        ReportJobFailure(PortFailureText(
            std::string(kLostConnectionText) + " (port " + m_app.m_portName + ")", port));
    } else if (whole != 1) {
        ReportJobFailure(error.empty() ? "Not every byte of \"" + path + "\" could be sent."
                                       : error);
    }
    if (notSent > 0) {
        ReportJobFailure(std::to_string(notSent) + " bytes of \"" + path + "\" were not sent.");
    }
    return !lost && whole == 1 && notSent <= 0;
}

// Line mode without the pause between lines: they go out back to back.
int CKestrelDlg::JobSendLines(const std::string& path, std::string* error) {
    return SendTicketLines(path, false, error);
}

int CKestrelDlg::JobSendWhole(const std::string& path, std::string* error) {
    return SendTicketWhole(path, error);
}

void CKestrelDlg::ReportJobFailure(const std::string& text) {
    // A reason on a line of its own stays on its own line, each named as the program's.
    std::string lines;
    std::string_view rest = text;
    for (;;) {
        const size_t end = rest.find(kReasonLineBreak);
        const std::string_view line = rest.substr(0, end);
        std::fprintf(stderr, "kestrel: %.*s\n", static_cast<int>(line.size()), line.data());
        lines.append(line);
        if (end == std::string_view::npos) {
            break;
        }
        lines += '\n';
        rest.remove_prefix(end + std::strlen(kReasonLineBreak));
    }
    m_app.WriteAppLog("Command-line job failed: " + lines);
}

}  // namespace kestrel
