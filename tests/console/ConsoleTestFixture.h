// The console on a fake window, in a scratch folder that is its current directory and holds its
// settings; optionally with a simulated printer on loopback TCP, recording what it receives.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "platform/DialogEvents.h"
#include "platform/SettingsKey.h"
#include "sim/HexText.h"
#include "sim/SimTestClient.h"
#include "support/FakeClock.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

// Leaves the test process's priority alone, counting the requests.
class UnchangedPriority : public ProcessPriority {
  public:
    bool Raise(std::string* /*error*/) override {
        ++m_raises;
        return true;
    }
    int m_raises = 0;
};

class ConsoleTest : public ::testing::Test {
  protected:
    ConsoleTest() {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        setenv("XDG_DATA_HOME", m_folder.File("data").c_str(), 1);
        m_host.m_logPane = &m_pane;
        m_host.m_sortedLists = {1002};
    }
    ~ConsoleTest() override {
        m_dlg.reset();
        m_app.reset();
    }

    // Builds the application and the console, and initialises the console on the fake window.
    void Start(std::vector<std::string> args = {}, PortEnvironment environment = {}) {
        m_app = std::make_unique<CKestrelApp>(std::move(args), AppClock(), std::move(environment));
        m_app->m_messageOwner = &m_host;
        m_dlg = std::make_unique<CKestrelDlg>(*m_app, m_priority);
        m_dlg->Attach(m_host);
        m_dlg->OnInitDialog();
    }
    // Ends the console (writing its values) and the application.
    void Stop() {
        m_dlg.reset();
        m_app.reset();
    }

    // A click on a button, or on a check box after the operator's toggle.
    void Click(int id) { m_dlg->OnCommand(id, kBnClicked); }
    void SetCheck(int id, bool checked) {
        m_host.CheckButton(id, checked ? 1 : 0);
        Click(id);
    }

    // A simulator on loopback recording what it receives; the console's port is its address.
    void StartSimulator(const std::string& dialect = "ventrix") {
        SimOptions options = TestOptions();
        options.recordPath = m_folder.File("record.txt");
        ASSERT_TRUE(ParseModeName(dialect, options.printer.mode));
        m_sim = std::make_unique<SimRunner>(options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        ASSERT_TRUE(m_control.Connect(m_sim->ControlAddress()));
    }
    // Opens the simulator's address through the COM button, the port dialog cancelled.
    void OpenSimulatorPort() {
        m_app->m_portName = m_sim->TcpAddress();
        Click(1001);
        ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    }

    // The byte strings the simulator recorded as received, one per read it made.
    std::vector<std::string> RecordedHex() {
        std::vector<std::string> lines;
        std::ifstream in(m_folder.File("record.txt"));
        std::string seconds, direction, rest;
        while (in >> seconds >> direction && std::getline(in, rest)) {
            if (direction == "rx") {
                lines.push_back(rest.substr(rest.find_first_not_of(' ')));
            }
        }
        return lines;
    }

    static std::string Hex(const std::vector<uint8_t>& bytes) { return FormatHexBytes(bytes); }

    std::string AppLog() {
        std::ifstream in(m_folder.File("Kestrel.log"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The clock the application sleeps on: the fake one unless the test asks for real time.
    Clock& AppClock() { return m_realTime ? SystemClock() : static_cast<Clock&>(m_clock); }

    ScratchFolder m_folder;
    FakeClock m_clock;
    bool m_realTime = false;
    FakeDialogHost m_host;
    FakeCommLogPane m_pane;
    UnchangedPriority m_priority;
    std::unique_ptr<SimRunner> m_sim;
    ControlClient m_control;
    std::unique_ptr<CKestrelApp> m_app;
    std::unique_ptr<CKestrelDlg> m_dlg;
};

}  // namespace kestrel::testing
