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

    // A stored value's bytes, or "<missing>".
    std::string Stored(const char* name) {
        char buffer[8000] = {};
        size_t size = 0;
        if (!Settings()->ReadBinary(name, buffer, sizeof buffer, &size)) {
            return "<missing>";
        }
        return std::string(buffer, size);
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
