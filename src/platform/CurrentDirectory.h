// The process's current directory, which holds the demo tickets and the help page.
#pragma once

#include <string>

namespace kestrel {

// The current directory as raw bytes; empty when it cannot be read (e.g. it was removed).
std::string CurrentDirectory();

// Makes `path` the current directory; false (with errno set) when it cannot be entered.
bool ChangeCurrentDirectory(const std::string& path);

}  // namespace kestrel
