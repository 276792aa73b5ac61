// Reading a session recording back for playback. Whatever the file holds gives a defined
// result: a file that is no recording is refused with the reason; damaged lines are skipped
// and counted; a last line cut short is left out; a recording another Kestrel still writes is
// read as far as it goes; a huge one is read up to kReplayRowLimit rows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "packets/PacketStore.h"

namespace kestrel {

inline constexpr size_t kReplayRowLimit = 4'000'000;
inline constexpr size_t kReplayByteLimit = size_t{512} << 20;
// A line longer than this is damaged (the longest frame, a serial packet, takes under 200 KB).
inline constexpr size_t kRecordingLineMost = size_t{1} << 20;

struct RecordingContents {
    bool read = false;  // false: nothing could be read; `error` says why
    std::string error;
    std::string started;  // the "started" line's time
    std::string port;     // the first port named
    size_t damagedLines = 0;
    bool lastLineCutShort = false;
    bool stillBeingWritten = false;
    bool stoppedAtLimit = false;

    // One sentence for each of the things above that the operator should know.
    std::vector<std::string> Notices() const;
};

RecordingContents ReadRecording(const std::string& path, PacketStore& store,
                                size_t rowLimit = kReplayRowLimit);

}  // namespace kestrel
