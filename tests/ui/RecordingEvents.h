// Dialog events for widget tests: records every command, tick and way out, with the state of
// the control at the moment its command arrived.
#pragma once

#include <functional>
#include <vector>

#include "platform/DialogEvents.h"

namespace kestrel::testing {

class RecordingEvents : public DialogEvents {
  public:
    struct Command {
        int id = 0;
        int notification = 0;
        int checkedThen = 0;  // IsButtonChecked(id) when the command arrived
        bool operator==(const Command&) const = default;
    };

    bool OnInitDialog() override {
        ++m_inits;
        if (m_onInit) {
            m_onInit(*m_host);
        }
        return true;
    }
    void OnCommand(int id, int notification) override {
        m_commands.push_back(Command{id, notification, m_host->IsButtonChecked(id)});
    }
    void OnTimer(int id) override {
        m_ticks.push_back(id);
        if (m_onTick) {
            m_onTick(*m_host, id);
        }
    }
    void OnClose() override { ++m_closes; }
    void OnCancel() override { ++m_cancels; }
    bool OnSysCommand(unsigned commandId) override {
        m_sysCommands.push_back(commandId);
        return true;
    }

    int m_inits = 0;
    int m_closes = 0;
    int m_cancels = 0;
    std::vector<Command> m_commands;
    std::vector<int> m_ticks;
    std::vector<unsigned> m_sysCommands;
    std::function<void(DialogHost&)> m_onInit;
    std::function<void(DialogHost&, int)> m_onTick;
};

}  // namespace kestrel::testing
