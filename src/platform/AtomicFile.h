// Small-file operations for settings and similar files: bounded reading, and the atomic
// replacement (temporary file in the same folder, fsync, rename) that keeps the previous file
// whole when a write fails half-way.
#pragma once

#include <cstddef>
#include <string>

namespace kestrel {

// A file larger than this is read only up to here (the rest is damage).
inline constexpr size_t kBoundedFileMaxSize = 16 << 20;

// Why a bounded read failed or was cut short.
struct BoundedReadOutcome {
    int error = 0;                // errno of a failed open or read
    bool notRegularFile = false;  // a folder, FIFO or device: not read
    bool cutShort = false;        // the file holds more than the limit: only the limit was read
};

// Reads a regular file of up to `maxSize` bytes (never blocks on a FIFO or device). False when
// it cannot be read; `outcome`, when given, says why, and whether the file was longer.
bool ReadBoundedFile(const std::string& path, std::string* text,
                     size_t maxSize = kBoundedFileMaxSize, BoundedReadOutcome* outcome = nullptr);

// True when `path` names a regular file (links followed); the file is not opened, so a FIFO
// cannot block.
bool IsRegularFile(const std::string& path);

// True when the file exists and both it and its folder (the folder of the file a link names)
// can be written.
bool FileWritable(const std::string& path);

// Makes `folder` and its missing parents (mode 0700, as for configuration folders).
bool MakeFolders(const std::string& folder);

// Makes the folder (and its parents) and, when the file is absent, writes `initialText` to it.
// True when a writable file is there afterwards.
bool CreateFileWithFolders(const std::string& path, const std::string& initialText);

// Replaces the file with `text` atomically. A symbolic link is written through: the file it
// names is replaced, beside itself, and the link stays. On failure nothing is left behind and
// the old file is untouched; errno tells why. After a success, the temporary files that
// earlier writes of the file left when they were killed are removed.
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace kestrel
