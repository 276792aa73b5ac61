#include "app/CKestrelApp.h"

#include <cstring>

#include "app/CMyCommandLineInfo.h"
#include "app/DesktopEntry.h"

namespace kestrel {
namespace {

constexpr const char* kDefaultPortName = "COM1:";
constexpr const char* kPortNameValue = "PortName";
constexpr uint32_t kExitWaitMs = 600;
constexpr size_t kBannerRuleLength = 75;
constexpr const char* kMessageCaption = "Message";

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) {
            line += ' ';
        }
        line += arg;
    }
    return line;
}

}  // namespace

CKestrelApp::CKestrelApp(std::vector<std::string> args, Clock& clock,
                         PortEnvironment portEnvironment)
    : m_ioComm(clock, std::move(portEnvironment)),
      m_clock(clock),
      m_args(std::move(args)),
      m_commandLine(JoinArguments(m_args)) {
    // The stored name is taken as stored, up to a zero byte, at most 222 bytes; a longer or
    // missing value leaves the default.
    char buffer[kPortNameBufferSize] = {};
    std::strcpy(buffer, kDefaultPortName);
    size_t size = std::strlen(kDefaultPortName);
    if (std::unique_ptr<SettingsKey> key = m_ioComm.OpenSettingsKey()) {
        char stored[kPortNameBufferSize] = {};
        size_t storedSize = 0;
        // An empty stored name leaves the default in place.
        if (key->ReadBinary(kPortNameValue, stored, sizeof stored, &storedSize) &&
            strnlen(stored, storedSize) > 0) {
            std::memcpy(buffer, stored, sizeof buffer);
            size = storedSize;
        }
    }
    m_portName.assign(buffer, strnlen(buffer, size));

    m_capture.Clear();
    m_hexDisplay = 1;
    m_legacyPlatform = m_ioComm.m_osVersion.dwPlatformId == 2 ? 0 : 1;
    m_ventrixOption = 0;
    CMyCommandLineInfo(*this).ParseCommandLine(m_args);

    const std::string rule(kBannerRuleLength, '=');
    WriteAppLog(rule + "\nKestrel Application Invoked.\n" + rule);
}

CKestrelApp::~CKestrelApp() {
    m_clock.Sleep(kExitWaitMs);
    if (std::unique_ptr<SettingsKey> key = m_ioComm.OpenSettingsKey()) {
        key->SetString(kPortNameValue, m_portName.data(), m_portName.size());
    }
}

bool CKestrelApp::InitInstance() {
    m_comServerStarted = 1;
    const RegistrationSwitch registration = FindRegistrationSwitch(m_commandLine);
    if (registration != RegistrationSwitch::None) {
        if (registration == RegistrationSwitch::Register) {
            InstallDesktopEntry();
        } else {
            RemoveDesktopEntry();
        }
        m_comServerStarted = 0;
        m_endedByRegistration = true;
        return false;
    }
    CMyCommandLineInfo(*this).ParseCommandLine(m_args);
    RunConsole();
    return false;
}

int CKestrelApp::ExitInstance() {
    m_comServerStarted = 0;
    return m_jobExitCode;
}

void CKestrelApp::RunConsole() {
    // The console is not part of this program yet: start-up ends where it would be shown.
}

int CKestrelApp::ShowMessage(const std::string& text) {
    WriteAppLog("Message: \n" + text);
    ShowStatusMessage(text);
    if (m_messageOwner == nullptr) {
        return kIdOk;
    }
    return m_messageOwner->MessageBox(text, kMessageCaption, kMbOk);
}

int CKestrelApp::ShowStatusMessage(const std::string& text) {
    WriteAppLog("Status Message: \n" + text);
    return 1;
}

int CKestrelApp::RenderCommLog(int force) {
    return m_commLogRenderer.Render(force, m_capture, m_hexDisplay, m_legacyPlatform,
                                    m_commLogPane);
}

}  // namespace kestrel
