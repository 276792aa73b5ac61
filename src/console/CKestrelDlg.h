// The operator console: the program's one window. It reads and writes its persisted values,
// initialises its controls, opens and closes the port, sends commands and tickets, runs the
// timers that read, decode and poll the printer's status, follows tickets through printing and
// ends the program. It talks to its window only through DialogHost; every event arrives through
// DialogEvents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/CommandHistory.h"
#include "console/ModemLines.h"
#include "platform/DialogEvents.h"
#include "platform/ProcessPriority.h"
#include "status/StatusDecoder.h"

namespace kestrel {

class CKestrelApp;

// What m_repeatAction repeats.
inline constexpr int kRepeatNothing = 0;
inline constexpr int kRepeatPrint = 1;
inline constexpr int kRepeatSendCommand = 2;

// Monitor states: 0 before the first ticket, 1 to 4 while one is followed, 5 when it ended.
inline constexpr int kMonitorIdle = 0;
inline constexpr int kMonitorWaitingBusy = 1;
inline constexpr int kMonitorWaitingBarcode = 2;
inline constexpr int kMonitorWaitingChute = 3;
inline constexpr int kMonitorWaitingTopOfForm = 4;
inline constexpr int kMonitorDone = 5;

inline constexpr size_t kCommDataPathBufferSize = 333;
// The port identity line is formatted into 128 bytes: "Port identity is: " and 109 characters.
inline constexpr size_t kPortIdentityBufferSize = 128;

class CKestrelDlg : public DialogEvents, private StatusLog {
  public:
    // Reads the persisted console values. `priority` raises the process's priority at the end
    // of initialisation (tests give one that changes nothing).
    CKestrelDlg(CKestrelApp& app, ProcessPriority& priority);
    // Writes the persisted console values, unless the command-line job ended the run.
    ~CKestrelDlg() override;
    CKestrelDlg(const CKestrelDlg&) = delete;
    CKestrelDlg& operator=(const CKestrelDlg&) = delete;

    // DialogEvents.
    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;
    void OnTimer(int id) override;
    void OnPaint() override;
    void OnClose() override;
    void OnCancel() override;
    bool OnSysCommand(unsigned commandId) override;

    // The COMM button: opens the port through the port dialog, or closes it; while a lost port
    // is waited for, it stops the wait.
    void OnCommButton();
    // The connection to the printer is gone: a poll that could not be sent, a device that went
    // away, a printer that stopped taking bytes. Closes the port and tells the operator; the
    // one place a lost connection is handled.
    void OnConnectionLost();

    // Commands and printer modes.
    void OnSendCommand();
    void OnCommandComboKillFocus();
    void OnSmartMode();
    void OnNormalMode();
    void OnVentrixMode();
    void OnSerialPacketMode();
    void OnDebugMode();
    void OnReset();
    void OnDisableSequenceBits();
    void OnHexText();

    // Timers, polling and the repeat.
    void ReadTick();
    void DecodeArrivedStatus();
    int TakeWaitingBytes();
    void PollTick();
    void RepeatTick();
    void OnPollButton();
    void OnPollComboKillFocus();

    // Ticket printing.
    void FillDemoList();
    void OnDemoSelectionChange();
    void OnPrint();
    void OnRepeatCheck();
    void OnBrowse();
    void OnSendBinaryFile();
    // Sending a ticket file, shared with the command-line job. The whole ticket is checked
    // before its first byte goes out; each returns 1 when every byte went out, otherwise 0 with
    // the reason in `error` (a refused ticket sends nothing; with `error` given, nothing is
    // shown to the operator). Line mode frames every line as a Ventrix packet, with the 22 ms
    // pause or back to back; whole-file mode sends one transmission as the printer mode frames it.
    int SendTicketLines(const std::string& path, bool pauseBetweenLines, std::string* error);
    int SendTicketWhole(const std::string& path, std::string* error);
    // A ticket or file is being sent (its line pauses let clicks and ticks in).
    bool IsSending() const { return m_sending; }
    // A send is over: clears m_sending and ends the run when Close, Escape or Exit came
    // during it.
    void EndSending();

    // The ticket monitor.
    void OnMonitorCheck();
    void StartMonitor();
    void MonitorTick();

    // Reconnecting (console/ConsoleReconnect.cpp): the context menu's choice, and the tick that
    // tries a lost port again.
    void OnReconnectChoice();
    void ReconnectTick();

    // Ways out, help and the command-line job.
    void OnExitButton();
    void OnHelpButton();
    void RunCommandLineJob();
    // The About box (system command 16, from the context menu).
    void OnAboutBox();
    // SIGINT, SIGTERM or SIGHUP: the console ends as Exit does. A command-line job that had
    // not run yet, or that the signal cut short, makes the exit status 1.
    void OnTerminationSignal(int signalNumber);

    // Console state.
    int m_repeatAction = kRepeatNothing;
    bool m_portOpen = false;
    CommandHistory m_cmdHistory;
    CommandHistory m_pollHistory;
    std::string m_commDataPath;

    // Status reception (the receive buffer and m_printerInError live in the decoder).
    StatusDecoder m_status;
    int m_timerSuspended = 0;
    int m_noStatusTicks = 0;
    int m_logRefreshPending = 0;

    // The ticket monitor.
    int m_monitorEnabled = 0;
    int m_monitorState = 0;
    int m_monitorTicks = 0;

    // A ticket or file is being sent: one send at a time.
    bool m_sending = false;
    // The command-line job is running: it reports what goes wrong itself, never in a box.
    bool m_runningJob = false;
    // What the sends since the job began were to hand to the port, and what it took.
    long m_bytesToSend = 0;
    long m_bytesHandedOver = 0;
    // The command-line job ended the run: the console's values are not written.
    bool m_skipSettingsSave = false;
    // "Reconnect automatically" is on; a lost port is being waited for.
    bool m_reconnectChosen = false;
    bool m_waitingForPort = false;

  private:
    // StatusLog, for the decoder.
    void WriteAppLog(const std::string& text) override;
    std::string CommLogText() override;

    DialogHost& Host() { return *m_host; }
    // Opens the selected port; while a TCP/IP connection is waited for, the port identity line
    // says so and the window keeps painting, with no tick and no operator action running.
    long OpenSelectedPortShowingWait();
    // After a send or a read: when the port layer gave the connection up, OnConnectionLost
    // (outside the job, which reports it at its end). True when the connection was lost.
    bool NoticeLostConnection();
    // Reads the reconnect choice and puts it into the context menu.
    void LoadReconnectChoice();
    // With the reconnect choice on (and no job running), starts waiting for the port that was
    // just lost; false when the loss is to be reported as the system reports it.
    bool WaitForLostPort();
    void StopWaitingForPort();
    // Sets the port identity line from m_portName.
    void ShowPortIdentity();
    // Shows or hides (and for Debug enables or disables) a group of controls.
    void ShowGroup(const int* ids, size_t count, bool show, bool enable);
    // Sends `bytes` as the mode wants, between the 1000/10 ms and 1/1 ms time-outs.
    int SendFramed(const uint8_t* bytes, int count, bool ventrixFraming);
    // Sends prepared transmissions one after the other; stops at the first that does not go
    // out whole or when the port is closed meanwhile. Returns 1 when all of them went out.
    int SendTransmissions(const std::vector<std::string>& transmissions, bool ventrixFraming,
                          bool pauseBetween, std::string* error);
    // The pause after a ticket line: 22 rounds of sleeping to the next millisecond mark and
    // dispatching the waiting events. False when a port open at the start of the ticket was
    // closed during it.
    bool PauseBetweenLines(bool portWasOpen);
    // The binary sender's two ways: blocks as they are, or Ventrix packets of lines.
    void SendBinaryBlocks(const std::string& path);
    void SendBinaryLines(const std::string& path);
    // Adds the combo box's text to a history and to the top of its list.
    void RememberComboText(int comboId, CommandHistory& history);
    // Reads an integer from an edit as the platform does: blanks, sign, digits; else 0.
    int GetItemInt(int id) const;
    void SetItemInt(int id, int value);
    void ShowError(const std::string& text, const std::string& caption);
    // Close, Escape and Exit: saves the log once and ends the run with `result`; while a send
    // is going on, the end waits for it.
    void LeaveConsole(int result);
    // Saves the log pane to m_commDataPath and reports a failure in a message box.
    void SaveLogOnExit();
    // The command-line job's steps; its senders and its reports, which never show a message box.
    bool RunJobSend();
    int JobSendLines(const std::string& path, std::string* error);
    int JobSendWhole(const std::string& path, std::string* error);
    void ReportJobFailure(const std::string& text);

    CKestrelApp& m_app;
    ProcessPriority& m_priority;
    // A way out has begun: later ones do nothing, so the log is saved once.
    bool m_leaving = false;
    // The command-line job has begun.
    bool m_jobStarted = false;
    // The result a way out asked for while a send was going on (0: none).
    int m_pendingEndResult = 0;
    // The last reason a wait for the port was given, shown and logged once each.
    std::string m_waitReason;
    // The modem lines panel of Debug Mode.
    ModemLines m_modemLines;
};

}  // namespace kestrel
