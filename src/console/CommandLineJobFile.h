// The check of the file the command-line job sends, made before the port is opened, so that a
// bad "file:" name sends nothing.
#pragma once

#include <cstddef>
#include <string>

namespace kestrel {

// A name this long or longer does not fit the ticket text buffer and is refused.
inline constexpr size_t kJobFileNameLimit = 10000;

// True when `name` names a regular file that can be opened for reading; otherwise false with
// `error` saying why (empty name, name too long, cannot be opened, not a regular file).
bool CheckJobFile(const std::string& name, std::string* error);

}  // namespace kestrel
