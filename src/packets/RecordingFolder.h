// Where session recordings are kept and how the folder is held to its size: one file per
// session, named by its start time and port, the oldest removed once the folder passes the
// operator's limit. A recording another Kestrel still writes is never removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr uint64_t kDefaultRecordingLimitMb = 200;
inline constexpr uint64_t kBytesPerMb = 1024 * 1024;

// $XDG_STATE_HOME/Norvane/Kestrel/recordings ("" without a home folder).
std::string DefaultRecordingFolder();

// "20250501-140322-COM3.csv": local start time and the port, with every character that is not
// a letter, digit, '.', '-' or '_' written as '_'.
std::string RecordingFileName(const std::string& localStartTime, const std::string& port);

struct RecordingFile {
    std::string path;
    uint64_t size = 0;
};
// The recordings in `folder`, oldest (by name, which starts with the time) first.
std::vector<RecordingFile> ListRecordings(const std::string& folder);

// Removes the oldest recordings other than `keep` while all of them together pass `limitBytes`.
// Returns the bytes the folder's recordings then hold.
uint64_t TrimRecordings(const std::string& folder, const std::string& keep, uint64_t limitBytes);

// Whether a Kestrel holds the file open for writing (its lock).
bool RecordingInUse(const std::string& path);

}  // namespace kestrel
