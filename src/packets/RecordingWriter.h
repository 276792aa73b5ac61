// The session recording: every frame of the session appended to one file as it comes, written
// out at every Flush (a few times a second), so a crash loses less than a second. The file is
// made at the first frame, named by the start time and the port, and locked while it is
// written. When the folder cannot be made or written, or the recording alone passes the limit,
// recording stops for the rest of the session and says why once; the session goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "packets/PacketFrame.h"

namespace kestrel {

struct RecordingSettings {
    bool enabled = true;
    std::string folder;  // empty: DefaultRecordingFolder()
    uint64_t limitBytes = 0;
};

class RecordingWriter : public FrameSink {
  public:
    // `portName` names the port the traffic goes to; `localTime` formats the local time with
    // strftime (the file's name and its "started" line).
    RecordingWriter(RecordingSettings settings, std::function<std::string()> portName,
                    std::function<std::string(const char*)> localTime);
    ~RecordingWriter() override;
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    void OnFrame(const FrameView& frame) override;
    // Writes what is buffered; false once recording has stopped.
    bool Flush();

    const std::string& Path() const { return m_path; }
    bool Stopped() const { return m_stopped; }
    // Why recording stopped, the first time it is asked after it did; empty otherwise.
    std::string TakeStopNotice();

  private:
    bool Create();
    void Stop(const std::string& reason);

    RecordingSettings m_settings;
    std::function<std::string()> m_portName;
    std::function<std::string(const char*)> m_localTime;
    std::string m_path;
    std::string m_port;
    std::string m_buffer;
    int m_fd = -1;
    uint64_t m_written = 0;
    uint64_t m_othersBytes = 0;  // what the folder's other recordings held when this one began
    bool m_stopped = false;
    std::string m_stopReason;
    bool m_noticeTaken = false;
};

}  // namespace kestrel
