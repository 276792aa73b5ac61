// A console on a fake window for tests: the application object, the console and its log pane,
// in a scratch folder that is the current directory, holds the settings file and is the data
// folder, so no test touches the user's files. Optionally a simulated printer on loopback
// records what it receives.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "commlog/CommLogFile.h"
#include "console/CKestrelDlg.h"
#include "platform/DialogEvents.h"
#include "platform/ProcessPriority.h"
#include "platform/SettingsKey.h"
#include "sim/HexText.h"
#include "sim/SimTestClient.h"
#include "support/ConsoleDoubles.h"
#include "support/FakeClock.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

// A pane that really writes its file, or fails its saves with a chosen errno.
class SavingPane : public FakeCommLogPane {
  public:
    bool SaveFile(const std::string& path, std::string* error) override {
        FakeCommLogPane::SaveFile(path, error);
        if (m_failWithErrno) {
            *error = "refused";
            errno = *m_failWithErrno;
            return false;
        }
        return WriteCommLogFile(path, "{\\rtf1 saved}", error);
    }
    std::optional<int> m_failWithErrno;
};

// Sets an environment variable for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        m_host.m_logPane = &m_pane;
        m_host.m_sortedLists = {1002};
    }
    void TearDown() override { End(); }

    // Makes the application and the console and initialises it, as start-up does. The
    // application sleeps on the fake clock unless the test asks for real time.
    void Start(std::vector<std::string> args = {}, PortEnvironment environment = {}) {
        Clock& clock = m_realTime ? SystemClock() : static_cast<Clock&>(m_clock);
        m_app = std::make_unique<CKestrelApp>(std::move(args), clock, std::move(environment));
        m_app->m_messageOwner = &m_host;
        m_dlg = std::make_unique<CKestrelDlg>(*m_app, m_priority);
        m_dlg->Attach(m_host);
        m_dlg->OnInitDialog();
    }

    // Destroys the console and then the application, as the end of the program does.
    void End() {
        m_dlg.reset();
        m_app.reset();
    }

    // A click on a button, or on a check box after the operator's toggle.
    void Click(int id) { m_dlg->OnCommand(id, kBnClicked); }
    void SetCheck(int id, bool checked) {
        m_host.CheckButton(id, checked ? 1 : 0);
        Click(id);
    }

    // A simulator on a thread of the test, recording what it receives.
    void StartSimulator(const std::string& dialect = "ventrix") {
        SimOptions options = TestOptions();
        options.recordPath = m_folder.File("record.txt");
        ASSERT_TRUE(ParseModeName(dialect, options.printer.mode));
        m_sim = std::make_unique<SimRunner>(options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        ASSERT_TRUE(m_control.Connect(m_sim->ControlAddress()));
    }
    // Opens the simulator's address through the COMM button, the port dialog cancelled.
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

    std::unique_ptr<SettingsKey> Settings() {
        return SettingsKey::Open(m_folder.File("settings.reg"), SettingsAccess::Create);
    }
    bool HasSetting(const char* name) {
        char buffer[8000];
        size_t size = 0;
        std::unique_ptr<SettingsKey> key = Settings();
        return key && key->ReadBinary(name, buffer, sizeof buffer, &size);
    }
    std::string SettingText(const char* name) {
        char buffer[400] = {};
        size_t size = 0;
        std::unique_ptr<SettingsKey> key = Settings();
        if (!key || !key->ReadBinary(name, buffer, sizeof buffer, &size)) {
            return std::string();
        }
        return std::string(buffer, strnlen(buffer, size));
    }

    ScratchFolder m_folder;
    ScopedVariable m_dataHome{"XDG_DATA_HOME", m_folder.File("data")};
    FakeClock m_clock;
    bool m_realTime = false;
    UnchangedPriority m_priority;
    FakeDialogHost m_host;
    SavingPane m_pane;
    std::unique_ptr<SimRunner> m_sim;
    ControlClient m_control;
    std::unique_ptr<CKestrelApp> m_app;
    std::unique_ptr<CKestrelDlg> m_dlg;
};

}  // namespace kestrel::testing
