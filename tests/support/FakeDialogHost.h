// A window for console tests: keeps the controls' texts, checks, visibility and enabled state by
// id, list and combo items, the armed timers with their periods (and every arm and kill in
// order), the message boxes shown, and answers message boxes and dialogs with preset replies.
// Hooks let a test act inside a message box, a nested dialog or a dispatch of waiting events,
// as the operator and the timers do on the real window.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/DialogEvents.h"
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
    bool IsItemVisible(int id) const override {
        const auto found = m_shown.find(id);
        return found == m_shown.end() ? true : found->second;
    }

    void ResetContent(int id) override {
        m_lists[id].clear();
        m_selection.erase(id);
    }
    int AddString(int id, const std::string& text) override {
        std::vector<std::string>& items = m_lists[id];
        if (m_sortedLists.count(id) == 0) {
            items.push_back(text);
            return static_cast<int>(items.size()) - 1;
        }
        size_t index = 0;
        while (index < items.size() && !SortsBeforeInList(text, items[index])) {
            ++index;
        }
        items.insert(items.begin() + static_cast<long>(index), text);
        return static_cast<int>(index);
    }
    int InsertString(int id, int index, const std::string& text) override {
        std::vector<std::string>& items = m_lists[id];
        const size_t at = index < 0 || static_cast<size_t>(index) > items.size()
                              ? items.size()
                              : static_cast<size_t>(index);
        items.insert(items.begin() + static_cast<long>(at), text);
        return static_cast<int>(at);
    }
    int GetCount(int id) const override {
        const auto found = m_lists.find(id);
        return found == m_lists.end() ? 0 : static_cast<int>(found->second.size());
    }
    std::string GetItemString(int id, int index) const override {
        const auto found = m_lists.find(id);
        if (found == m_lists.end() || index < 0 ||
            static_cast<size_t>(index) >= found->second.size()) {
            return std::string();
        }
        return found->second[static_cast<size_t>(index)];
    }
    int GetCurSel(int id) const override {
        const auto found = m_selection.find(id);
        return found == m_selection.end() ? kListError : found->second;
    }
    int SetCurSel(int id, int index) override {
        if (index < 0 || index >= GetCount(id)) {
            m_selection.erase(id);
            return kListError;
        }
        m_selection[id] = index;
        m_texts[id] = GetItemString(id, index);
        return index;
    }
    int FindStringExact(int id, int start, const std::string& text) const override {
        return Find(id, start, [&](const std::string& item) { return EqualsNoCase(item, text); });
    }
    int SelectString(int id, int start, const std::string& text) override {
        const int index = Find(id, start, [&](const std::string& item) {
            return item.size() >= text.size() && EqualsNoCase(item.substr(0, text.size()), text);
        });
        return index == kListError ? kListError : SetCurSel(id, index);
    }

    void SetProgressRange(int id, int lower, int upper) override {
        m_progressRange[id] = {lower, upper};
    }
    void SetProgressStep(int id, int step) override { m_progressStep[id] = step; }
    void SetProgressPos(int id, int position) override { m_progressPos[id] = position; }

    void SetButtonImages(int id, const std::string& imageBase) override {
        m_buttonImages[id] = imageBase;
    }

    bool LoadPicture(PictureSlot slot, const std::string& path) override {
        m_pictureLoads.push_back(path);
        if (m_loadablePictures.count(path) == 0) {
            return false;
        }
        m_pictures[slot] = path;
        return true;
    }
    void ClearPicture(PictureSlot slot) override { m_pictures.erase(slot); }
    void DrawPicture(PictureSlot slot, const ClientRect& rect) override {
        const auto found = m_pictures.find(slot);
        m_drawn.push_back((found == m_pictures.end() ? std::string() : found->second) + "@" +
                          std::to_string(rect.left) + "," + std::to_string(rect.top));
    }
    void DrawIconCentred() override { m_drawn.push_back("icon"); }
    void InvalidateRect(const ClientRect& rect, bool /*erase*/) override {
        m_invalidated.push_back(rect);
    }
    void RedrawWindow(bool /*erase*/) override { ++m_redraws; }
    void RepaintNow() override {
        ++m_repaints;
        if (m_onRepaint) {
            m_onRepaint();
        }
    }
    void RepaintItemNow(int id) override { m_repaintedNow.emplace_back(id, GetItemText(id)); }

    CommLogPane* LogPane() override { return m_logPane; }

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
        ++m_modalDepth;
        if (m_insideMessageBox) {
            m_insideMessageBox();
        }
        --m_modalDepth;
        if (m_messageReplies.empty()) {
            return kIdOk;
        }
        const int reply = m_messageReplies.front();
        m_messageReplies.pop_front();
        return reply;
    }
    bool IsModalOpen() const override { return m_modalDepth > 0; }

    std::string SaveFileDialog(const std::string& filter) override {
        m_fileDialogFilters.push_back(filter);
        return m_saveFileAnswer;
    }
    std::string OpenFileDialog(const std::string& filter,
                               const std::string& /*initialFolder*/) override {
        m_fileDialogFilters.push_back(filter);
        return m_openFileAnswer;
    }
    std::string BrowseForFolder(const std::string& title,
                                const std::string& /*startFolder*/) override {
        m_folderTitles.push_back(title);
        return m_folderAnswer;
    }

    // A nested dialog gets a host of its own from `m_dialogHosts` (a fresh one when none is
    // preset); `m_insideDialog` then acts in it, and the dialog ends with its EndDialog result
    // or kIdCancel.
    int RunDialog(int templateId, DialogEvents& events) override {
        m_dialogsRun.push_back(templateId);
        FakeDialogHost& inner = m_dialogHosts[templateId];
        inner.m_endResult.reset();
        events.Attach(inner);
        ++m_modalDepth;
        events.OnInitDialog();
        if (m_insideDialog) {
            m_insideDialog(templateId, inner, events);
        }
        --m_modalDepth;
        return inner.m_endResult.value_or(kIdCancel);
    }

    void OpenLocalPage(const std::string& path) override { m_pagesOpened.push_back(path); }

    void DispatchWaitingEvents() override {
        ++m_dispatches;
        if (m_onDispatch) {
            m_onDispatch();
        }
    }

    void AppendSystemMenuItem(unsigned commandId, const std::string& text) override {
        m_systemMenu.emplace_back(commandId, text);
    }
    void ShowMenuItem(int commandId, const std::string& text, bool shown) override {
        m_menuItems[commandId] = shown ? text : std::string();
    }
    void CheckMenuItem(int commandId, bool checked) override { m_menuChecks[commandId] = checked; }

    void SetWindowState(WindowState state) override { m_windowStates.push_back(state); }
    bool IsMinimized() const override {
        return !m_windowStates.empty() && m_windowStates.back() == WindowState::MinimizedNoActivate;
    }
    void EndDialog(int result) override {
        if (!m_endResult) {
            m_endResult = result;
        }
        ++m_endCalls;
    }

    std::map<int, std::string> m_texts;
    std::map<int, int> m_checks;
    std::map<int, bool> m_shown;
    std::map<int, bool> m_enabled;
    std::map<int, std::vector<std::string>> m_lists;
    std::set<int> m_sortedLists;  // ids whose items are kept sorted
    std::map<int, int> m_selection;
    std::map<int, std::pair<int, int>> m_progressRange;
    std::map<int, int> m_progressStep;
    std::map<int, int> m_progressPos;
    std::map<int, std::string> m_buttonImages;
    std::set<std::string> m_loadablePictures;  // paths LoadPicture succeeds on
    std::vector<std::string> m_pictureLoads;
    std::map<PictureSlot, std::string> m_pictures;
    std::vector<std::string> m_drawn;
    std::vector<ClientRect> m_invalidated;
    int m_redraws = 0;
    int m_repaints = 0;
    std::function<void()> m_onRepaint;
    std::vector<std::pair<int, std::string>> m_repaintedNow;  // each control with its text then
    CommLogPane* m_logPane = nullptr;
    std::map<int, uint32_t> m_timers;  // armed timers and their periods
    std::vector<TimerCall> m_timerCalls;
    std::vector<ShownMessage> m_messages;
    std::deque<int> m_messageReplies;  // answers for the next message boxes; kIdOk when empty
    std::function<void()> m_insideMessageBox;
    int m_modalDepth = 0;
    std::vector<std::string> m_fileDialogFilters;
    std::string m_saveFileAnswer;  // the path the save dialog returns; empty: cancelled
    std::string m_openFileAnswer;
    std::string m_folderAnswer;
    std::vector<std::string> m_folderTitles;
    std::vector<int> m_dialogsRun;
    std::map<int, FakeDialogHost> m_dialogHosts;
    std::function<void(int, FakeDialogHost&, DialogEvents&)> m_insideDialog;
    std::vector<std::string> m_pagesOpened;
    int m_dispatches = 0;
    std::function<void()> m_onDispatch;
    std::vector<std::pair<unsigned, std::string>> m_systemMenu;
    std::map<int, std::string> m_menuItems;
    std::map<int, bool> m_menuChecks;
    std::vector<WindowState> m_windowStates;
    std::optional<int> m_endResult;
    int m_endCalls = 0;

  private:
    int Find(int id, int start, const std::function<bool(const std::string&)>& matches) const {
        const int count = GetCount(id);
        for (int step = 1; step <= count; ++step) {
            const int index = ((start < 0 ? -1 : start) + step) % count;
            if (matches(GetItemString(id, index))) {
                return index;
            }
        }
        return kListError;
    }
};

}  // namespace kestrel::testing
