// The console on the fake window for ticket tests: an application whose settings and current
// directory are a scratch folder, the console attached to a FakeDialogHost, and helpers to
// write tickets, connect to a simulator and read what the simulator recorded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "platform/ProcessPriority.h"
#include "status/PrinterMode.h"
#include "support/FakeDialogHost.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

// Leaves the test process's priority alone.
class UnchangedPriority : public ProcessPriority {
  public:
    bool Raise(std::string* /*error*/) override { return true; }
};

// Real time, except that sleeping can be switched off for the application's exit wait.
class RealClock : public Clock {
  public:
    uint32_t GetTickCount() override { return SystemClock().GetTickCount(); }
    void Sleep(uint32_t milliseconds) override {
        m_slept += milliseconds;
        if (!m_skipSleeps) {
            SystemClock().Sleep(milliseconds);
        }
    }
    std::string FormatLocalTime(const char* format) override {
        return SystemClock().FormatLocalTime(format);
    }
    bool m_skipSleeps = false;
    uint64_t m_slept = 0;
};

// The fake window, keeping every text given to a control in order, with its time.
class RecordingHost : public FakeDialogHost {
  public:
    struct TextChange {
        int id = 0;
        std::string text;
        std::chrono::steady_clock::time_point when;
    };
    void SetItemText(int id, const std::string& text) override {
        m_textChanges.push_back({id, text, std::chrono::steady_clock::now()});
        FakeDialogHost::SetItemText(id, text);
    }
    // The texts one control was given, repeats of the same text counted once.
    std::vector<std::string> TextsOf(int id) const {
        std::vector<std::string> texts;
        for (const TextChange& change : m_textChanges) {
            if (change.id == id && (texts.empty() || texts.back() != change.text)) {
                texts.push_back(change.text);
            }
        }
        return texts;
    }
    std::vector<TextChange> m_textChanges;
};

class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{}, m_clock, m_environment);
        m_dlg = std::make_unique<CKestrelDlg>(*m_app, m_priority);
        m_host.m_sortedLists.insert(IDC_DEMOLIST);
        m_dlg->Attach(m_host);
        m_dlg->OnInitDialog();
    }
    void TearDown() override {
        m_dlg.reset();
        m_clock.m_skipSleeps = true;  // the application's exit wait proves nothing here
        m_app.reset();
    }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(name, std::ios::binary);
        out << bytes;
    }
    std::string ReadFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void SetMode(PrinterMode mode) { m_app->m_printerMode = static_cast<int>(mode); }
    // Refills the demo list and selects a ticket by its title.
    void SelectTicket(const std::string& title) {
        m_dlg->FillDemoList();
        const int index = m_host.FindStringExact(IDC_DEMOLIST, -1, title);
        ASSERT_NE(index, kListError) << title;
        m_host.SetCurSel(IDC_DEMOLIST, index);
    }
    // The application log so far.
    std::string AppLog() { return ReadFile("Kestrel.log"); }
    // The last message box shown.
    FakeDialogHost::ShownMessage LastMessage() {
        return m_host.m_messages.empty() ? FakeDialogHost::ShownMessage{}
                                         : m_host.m_messages.back();
    }
    // Opens the port at `address` as the COMM button does, without its dialog.
    void OpenPort(const std::string& address) {
        m_app->m_portName = address;
        ASSERT_NE(m_app->OpenSelectedPort(), 0) << m_app->m_ioComm.m_lastError;
        m_dlg->m_portOpen = true;
    }

    ScratchFolder m_folder;
    RealClock m_clock;
    PortEnvironment m_environment;  // set before SetUp to script the system calls
    UnchangedPriority m_priority;
    RecordingHost m_host;
    std::unique_ptr<CKestrelApp> m_app;
    std::unique_ptr<CKestrelDlg> m_dlg;
};

// What the simulator's record file says it received, parsed into Ventrix packets.
struct RecordedPacket {
    std::vector<uint8_t> bytes;
    uint64_t ms = 0;  // when its first byte arrived, in the simulator's milliseconds
};
struct RecordedTraffic {
    std::vector<RecordedPacket> packets;
    std::vector<uint8_t> stray;  // received bytes that are not part of a packet
    size_t receivedBytes = 0;
    int connections = 0;
};
RecordedTraffic ReadRecordedTraffic(const std::string& recordPath);

}  // namespace kestrel::testing
