// The application object: owns the port, the selected port name, the printer mode and sequence
// state, the traffic capture and the command-line options, and provides the operations every
// other part of the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commlog/CommLogPane.h"
#include "commlog/CommLogRenderer.h"
#include "commlog/TrafficCapture.h"
#include "commlog/TrafficObserver.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "port/IOComm.h"
#include "port/PortEnvironment.h"
#include "status/SequenceState.h"

namespace kestrel {

class CKestrelDlg;  // the console (src/console)

inline constexpr size_t kPortNameBufferSize = 222;
inline constexpr uint32_t kTransmitBufferSize = 5000;

class CKestrelApp {
  public:
    // `args` are the program's arguments without the program name.
    explicit CKestrelApp(std::vector<std::string> args, Clock& clock = SystemClock(),
                         PortEnvironment portEnvironment = {});
    virtual ~CKestrelApp();
    CKestrelApp(const CKestrelApp&) = delete;
    CKestrelApp& operator=(const CKestrelApp&) = delete;

    // Instance initialisation: honours "RegServer"/"UnregServer", parses the command line
    // again and runs the console. Returns false: no message loop follows, the caller goes on
    // to ExitInstance.
    virtual bool InitInstance();
    // Instance exit; returns the process's exit code.
    virtual int ExitInstance();
    // Shows the console modally and returns when it closes.
    virtual void RunConsole();

    // Application log and operator messages.
    int WriteAppLog(const std::string& text);
    int ShowMessage(const std::string& text);
    int ShowStatusMessage(const std::string& text);
    // Writes `message` with the port's reason for the failure to the application log and
    // returns that text for the message box (app/PortFailureText.h).
    std::string ReportPortFailure(const std::string& message);

    // Opening, sending, receiving.
    long OpenSelectedPort();
    int Transmit(const uint8_t* bytes, int count, int ventrixFraming);
    int Receive(uint8_t* buffer, int size);

    // Rebuilds the communication log pane from the capture.
    int RenderCommLog(int force);

    IOComm m_ioComm;
    std::string m_portName;
    int m_hexDisplay = 1;
    int m_printerMode = 0;
    int m_legacyPlatform = 0;
    DialogHost* m_messageOwner = nullptr;
    int m_comServerStarted = 0;
    CKestrelDlg* m_console = nullptr;
    CommLogPane* m_commLogPane = nullptr;  // the console's log pane while it is shown

    SequenceState m_sequence;
    TrafficCapture m_capture;
    TrafficObserver* m_trafficObserver = nullptr;  // sees every byte the capture records
    CommLogRenderer m_commLogRenderer;

    // Command-line option values.
    std::string m_cmdLineFile;
    int m_ventrixOption = 0;
    int m_factOption = 0;
    int m_silentOption = 0;
    int m_exitOption = 0;
    // The values of "portsetup" and "handshake" (from the argument's eleventh character on),
    // as last given; the parser applies them as it meets them.
    std::string m_portSetupOption;
    std::string m_handshakeOption;
    // What ended start-up before the console: a registration switch.
    bool m_endedByRegistration = false;
    // The exit code the command-line job ended the run with (0 otherwise).
    int m_jobExitCode = 0;

    Clock& GetClock() { return m_clock; }

  protected:
    Clock& m_clock;
    std::vector<std::string> m_args;
    std::string m_commandLine;  // the arguments as one line, for the registration scan
};

}  // namespace kestrel
