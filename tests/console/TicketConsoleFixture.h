// The console on the fake window for ticket tests: an application whose settings and current
// directory are a scratch folder, the console attached to a fake window, and helpers to write
// tickets and open the port.
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
#include "console/RecordedTraffic.h"
#include "platform/ProcessPriority.h"
#include "status/PrinterMode.h"
#include "support/ConsoleDoubles.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

class TicketConsoleTest : public ::testing::Test {
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

}  // namespace kestrel::testing
