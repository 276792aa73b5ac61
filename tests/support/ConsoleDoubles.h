// Stand-ins around the console for tests and benchmarks: a priority that stays, a real clock
// whose sleeps can be switched off, and a fake window that keeps every text it was given.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ProcessPriority.h"
#include "support/FakeDialogHost.h"

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

// Real time, except that sleeping can be switched off for the application's exit wait.
class RealClock : public Clock {
  public:
    uint32_t GetTickCount() override { return SystemClock().GetTickCount(); }
    void Sleep(uint32_t milliseconds) override {
        if (m_beforeSleep) {
            m_beforeSleep();
        }
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
    std::function<void()> m_beforeSleep;  // what a test looks at as each wait begins
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

}  // namespace kestrel::testing
