// A log pane for tests: records what was put into it, in order, and saves and loads through
// preset answers instead of files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commlog/CommLogPane.h"

namespace kestrel::testing {

class FakeCommLogPane : public CommLogPane {
  public:
    void SetDocument(std::string_view rtf) override {
        m_document = std::string(rtf);
        ++m_documentsSet;
        m_calls.push_back("SetDocument");
    }
    void SetSelectionStart(long position) override {
        m_selectionStart = position;
        m_calls.push_back("SetSelectionStart");
    }
    void SetProperty5(long value) override {
        m_property5 = value;
        m_calls.push_back("SetProperty5");
    }
    std::string Text() const override { return m_text; }
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    bool LoadFile(const std::string& path, std::string* error) override {
        m_loadedPaths.push_back(path);
        if (!m_loadError.empty()) {
            *error = m_loadError;
            return false;
        }
        return true;
    }
    bool SaveFile(const std::string& path, std::string* error) override {
        m_savedPaths.push_back(path);
        if (!m_saveError.empty()) {
            *error = m_saveError;
            return false;
        }
        return true;
    }

    std::string m_document;
    int m_documentsSet = 0;
    long m_selectionStart = 0;
    long m_property5 = 0;
    std::string m_text;
    bool m_enabled = true;
    std::vector<std::string> m_calls;
    std::vector<std::string> m_loadedPaths;
    std::vector<std::string> m_savedPaths;
    std::string m_loadError;  // non-empty: LoadFile fails with this text
    std::string m_saveError;  // non-empty: SaveFile fails with this text
};

}  // namespace kestrel::testing
