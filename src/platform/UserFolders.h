// The user's base folders as the XDG base directory rules give them.
#pragma once

#include <string>

namespace kestrel {

// $HOME, else the home folder of the user's account; "" when there is none.
std::string HomeFolder();

// The folder named by `variable` when it holds an absolute path (a relative one is ignored,
// as the rules say), else `defaultUnderHome` inside the home folder; "" without a home folder.
std::string XdgBaseFolder(const char* variable, const char* defaultUnderHome);

}  // namespace kestrel
