// Playback of a session recording (kestrel --replay FILE): the console's window shows the log
// pane and the status display as they stood at the row chosen in the packet view beside it,
// which steps through the recording with a slider. No port is opened and nothing is sent.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr const char* kReplayOption = "--replay";

// The recording named by "--replay FILE" or "--replay=FILE"; nullopt without the option. An
// option without its file gives an empty path.
std::optional<std::string> ReplayRequest(const std::vector<std::string>& args);

class PacketStore;
class PlaybackTimeline;
class PlaybackConsole;
class PacketViewPanel;
class QtDialogHost;
class TerminationSignalNotifier;

// The two windows of a playback and what they show.
class PlaybackWindow {
  public:
    // Reads the recording; Error() says why nothing can be shown.
    explicit PlaybackWindow(const std::string& path);
    ~PlaybackWindow();

    const std::string& Error() const { return m_error; }
    // Runs the console's window until it is closed; returns the exit status.
    int Run(TerminationSignalNotifier* signalNotifier = nullptr);
    // Chooses a row as the operator would, in the packet view.
    void ChooseRow(size_t storeRow);

    const PacketStore& Store() const { return *m_store; }
    QtDialogHost& Host() { return *m_host; }
    PacketViewPanel& Panel() { return *m_panel; }

  private:
    void ShowRow(size_t storeRow);

    std::string m_error;
    std::unique_ptr<PacketStore> m_store;
    std::unique_ptr<PlaybackTimeline> m_timeline;
    std::unique_ptr<PlaybackConsole> m_console;
    std::unique_ptr<QtDialogHost> m_host;
    std::unique_ptr<PacketViewPanel> m_panel;
};

// `kestrel --replay FILE`: plays the recording back until its window is closed (or a signal
// closes it); 1 when it cannot be read, 2 without a file.
int RunPlayback(const std::string& path, TerminationSignalNotifier& signalNotifier);

}  // namespace kestrel
