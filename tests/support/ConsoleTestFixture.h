// A console on a fake window for tests: the application object, the console and its log pane,
// in a scratch folder that is the current directory, holds the settings file and is the data
// folder, so no test touches the user's files.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "commlog/CommLogFile.h"
#include "console/CKestrelDlg.h"
#include "platform/ProcessPriority.h"
#include "platform/SettingsKey.h"
#include "support/FakeClock.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

class UnchangedPriority : public ProcessPriority {
  public:
    bool Raise(std::string* /*error*/) override { return true; }
};

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
    }

    // Makes the application and the console and initialises it, as start-up does.
    void Start(std::vector<std::string> args = {}) {
        m_app = std::make_unique<CKestrelApp>(std::move(args), m_clock);
        m_dlg = std::make_unique<CKestrelDlg>(*m_app, m_priority);
        m_dlg->Attach(m_host);
        m_dlg->OnInitDialog();
    }

    // Destroys the console and then the application, as the end of the program does.
    void End() {
        m_dlg.reset();
        m_app.reset();
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
    UnchangedPriority m_priority;
    FakeDialogHost m_host;
    SavingPane m_pane;
    std::unique_ptr<CKestrelApp> m_app;
    std::unique_ptr<CKestrelDlg> m_dlg;
};

}  // namespace kestrel::testing
