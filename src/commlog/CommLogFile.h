// Reading and writing the communication log's files.
#pragma once

#include <string>

namespace kestrel {

// Reads a whole regular file of at most kMaxRtfDocumentSize bytes. False, with `error` set to
// a text for the operator, when it cannot.
bool ReadCommLogFile(const std::string& path, std::string* bytes, std::string* error);

// Replaces the file with `bytes` atomically, so a failed save leaves the old file whole.
bool WriteCommLogFile(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace kestrel
