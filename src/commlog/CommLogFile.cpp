#include "commlog/CommLogFile.h"

#include <cerrno>
#include <cstring>

#include "commlog/RtfReader.h"
#include "platform/AtomicFile.h"

namespace kestrel {
namespace {

std::string Failure(const char* action, const std::string& path, const std::string& why) {
    return std::string("Cannot ") + action + " \"" + path + "\": " + why;
}

}  // namespace

bool ReadCommLogFile(const std::string& path, std::string* bytes, std::string* error) {
    BoundedReadOutcome outcome;
    if (!ReadBoundedFile(path, bytes, kMaxRtfDocumentSize, &outcome)) {
        *error = Failure(
            "read", path,
            outcome.notRegularFile ? "it is not a regular file" : std::strerror(outcome.error));
        return false;
    }
    if (outcome.cutShort) {
        bytes->clear();
        *error = Failure("read", path, "it is larger than the communication log can show");
        return false;
    }
    return true;
}

bool WriteCommLogFile(const std::string& path, const std::string& bytes, std::string* error) {
    if (!WriteFileAtomically(path, bytes)) {
        *error = Failure("save the communication log to", path, std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace kestrel
