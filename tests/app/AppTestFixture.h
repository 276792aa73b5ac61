// Every application test runs in a scratch folder that is its current directory (for
// Kestrel.log) and holds its settings file, so no test touches the user's files.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "platform/SettingsKey.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
    }

    std::unique_ptr<CKestrelApp> App(std::vector<std::string> args = {}) {
        return std::make_unique<CKestrelApp>(std::move(args), m_clock);
    }

    std::unique_ptr<SettingsKey> Settings() {
        return SettingsKey::Open(m_folder.File("settings.reg"), SettingsAccess::Create);
    }

    std::string ReadFile(const std::string& name) {
        std::ifstream in(m_folder.File(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ScratchFolder m_folder;
    FakeClock m_clock;
};

}  // namespace kestrel::testing
