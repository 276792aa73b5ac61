// A window for console tests: keeps the controls' texts, checks, visibility and enabled state by
// id, the armed timers with their periods (and every arm and kill in order), the message boxes
// shown, and answers message boxes and file dialogs with preset replies.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/DialogHost.h"

namespace kestrel::testing {

class FakeDialogHost : public DialogHost {
  public:
    struct ShownMessage {
        std::string text;
        std::string caption;
        unsigned style = 0;
    };
    struct TimerCall {
        int id = 0;
        bool armed = false;  // false: killed
        uint32_t periodMs = 0;
        bool operator==(const TimerCall&) const = default;
    };

    void SetItemText(int id, const std::string& text) override { m_texts[id] = text; }
    std::string GetItemText(int id) const override {
        const auto found = m_texts.find(id);
        return found == m_texts.end() ? std::string() : found->second;
    }
    void CheckButton(int id, int checked) override { m_checks[id] = checked; }
    int IsButtonChecked(int id) const override {
        const auto found = m_checks.find(id);
        return found == m_checks.end() ? 0 : found->second;
    }
    void ShowItem(int id, bool show) override { m_shown[id] = show; }
    void EnableItem(int id, bool enable) override { m_enabled[id] = enable; }

    void SetTimer(int id, uint32_t periodMs) override {
        m_timers[id] = periodMs;
        m_timerCalls.push_back(TimerCall{id, true, periodMs});
    }
    void KillTimer(int id) override {
        m_timers.erase(id);
        m_timerCalls.push_back(TimerCall{id, false, 0});
    }
    bool IsTimerArmed(int id) const { return m_timers.count(id) != 0; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
        m_messages.push_back(ShownMessage{text, caption, style});
        if (m_messageReplies.empty()) {
            return kIdOk;
        }
        const int reply = m_messageReplies.front();
        m_messageReplies.pop_front();
        return reply;
    }

    std::string SaveFileDialog(const std::string& filter) override {
        m_fileDialogFilters.push_back(filter);
        return m_saveFileAnswer;
    }

    std::map<int, std::string> m_texts;
    std::map<int, int> m_checks;
    std::map<int, bool> m_shown;
    std::map<int, bool> m_enabled;
    std::map<int, uint32_t> m_timers;  // armed timers and their periods
    std::vector<TimerCall> m_timerCalls;
    std::vector<ShownMessage> m_messages;
    std::deque<int> m_messageReplies;  // answers for the next message boxes; kIdOk when empty
    std::vector<std::string> m_fileDialogFilters;
    std::string m_saveFileAnswer;  // the path the save dialog returns; empty: cancelled
};

}  // namespace kestrel::testing
