// A fresh temporary folder for one test, removed with everything in it afterwards; optionally
// the current directory and KESTREL_SETTINGS are pointed into it and restored, so a test never
// touches the user's Kestrel.log or settings.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace kestrel::testing {

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~ScratchFolder() {
        RestoreCurrentDirectory();
        RestoreSettingsPath();
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    // Makes this folder the current directory until destruction.
    void EnterAsCurrentDirectory() {
        if (!m_previousDirectory) {
            m_previousDirectory = std::filesystem::current_path().string();
        }
        std::filesystem::current_path(m_path);
    }

    // Points KESTREL_SETTINGS at `name` inside this folder until destruction.
    void UseAsSettings(const std::string& name = "settings.reg") {
        if (!m_previousSettings) {
            const char* old = std::getenv("KESTREL_SETTINGS");
            m_previousSettings = old != nullptr ? std::optional<std::string>(old) : std::string();
            m_hadSettings = old != nullptr;
        }
        setenv("KESTREL_SETTINGS", File(name).c_str(), 1);
    }

  private:
    void RestoreCurrentDirectory() {
        if (m_previousDirectory) {
            std::error_code ignored;
            std::filesystem::current_path(*m_previousDirectory, ignored);
        }
    }
    void RestoreSettingsPath() {
        if (!m_previousSettings) {
            return;
        }
        if (m_hadSettings) {
            setenv("KESTREL_SETTINGS", m_previousSettings->c_str(), 1);
        } else {
            unsetenv("KESTREL_SETTINGS");
        }
    }

    std::string m_path;
    std::optional<std::string> m_previousDirectory;
    std::optional<std::string> m_previousSettings;
    bool m_hadSettings = false;
};

}  // namespace kestrel::testing
