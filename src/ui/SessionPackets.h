// The packet view and the session recording of a console run: one observer of the recording
// point feeds the view's rows and the recording file. The view is a window of its own beside
// the console, shown from the context menu or with Ctrl+Shift+P; whether it is shown, its
// filter and its place are remembered. "Open recording..." plays a recording back in a window
// of its own.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "packets/PacketPreferences.h"
#include "packets/PacketStore.h"
#include "packets/RecordingWriter.h"
#include "packets/SessionFrames.h"

class QMenu;

namespace kestrel {

class CKestrelApp;
class PacketViewPanel;
class QtDialogHost;

// The live view keeps at most this many rows; past it the older half goes (the recording
// keeps them all).
inline constexpr size_t kLiveRowLimit = 2'000'000;

class SessionPackets : public QObject {
  public:
    SessionPackets(CKestrelApp& app, QtDialogHost& host);
    ~SessionPackets() override;

    void ShowView(bool shown);
    bool ViewShown() const;
    PacketViewPanel& Panel() { return *m_panel; }
    const PacketStore& Store() const { return m_store; }
    RecordingWriter& Recording() { return *m_writer; }
    // What the timer does twice a second: ends idle frames, writes the recording out, reports a
    // recording that stopped, and once a second brings a shown view up to date.
    void Tick();
    // Selects a row's bytes in the log pane, when they are still in the capture.
    bool SelectInLogPane(size_t storeRow);

  private:
    void ExtendMenu(QMenu& menu);
    void OpenRecording();
    void ReportStoppedRecording(const std::string& reason);
    void UpdateStatus();

    CKestrelApp& m_app;
    QtDialogHost& m_host;
    PacketPreferences m_preferences;
    PacketStore m_store;
    std::unique_ptr<RecordingWriter> m_writer;
    SessionFrames m_frames;
    std::unique_ptr<PacketViewPanel> m_panel;
    QTimer m_timer;
    int m_ticksSinceRefresh = 0;
};

}  // namespace kestrel
