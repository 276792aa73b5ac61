// The console's window during playback of a recording: the log pane shows the capture as it
// stood at the chosen row, and the status boxes, texts and progress bar as the console's own
// decoder left them there. It has no port and sends nothing: every control that would act is
// disabled; Debug Mode, Hex/Text and the ways out work as they do on the console.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "commlog/CommLogRecordPlace.h"
#include "commlog/CommLogRenderer.h"
#include "commlog/TrafficCapture.h"
#include "packets/PacketStore.h"
#include "packets/PlaybackTimeline.h"
#include "platform/DialogEvents.h"

namespace kestrel {

class PlaybackConsole : public DialogEvents {
  public:
    PlaybackConsole(const PacketStore& store, const PlaybackTimeline& timeline);

    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;

    // Shows the session as it stood once `row` was recorded.
    void ShowRow(size_t row);
    // Where the row's bytes stand in the log pane's text, when they are in the capture.
    std::optional<TextSpan> RowInPane(size_t row) const;
    const TrafficCapture& Capture() const { return *m_capture; }

  private:
    void ShowStatus(const StatusRows& rows);
    void ShowMode(int printerMode);
    void Render();

    const PacketStore& m_store;
    const PlaybackTimeline& m_timeline;
    std::unique_ptr<TrafficCapture> m_capture;
    CommLogRenderer m_renderer;
    int m_hexDisplay = 1;
    size_t m_row = 0;
    int m_shownMode = -1;
};

}  // namespace kestrel
