// Where the communication log is kept between runs when the operator has chosen no file.
#pragma once

#include <string>

namespace kestrel {

// $XDG_DATA_HOME/Norvane/Kestrel/KestrelCommData.rtf (~/.local/share/... by default).
std::string DefaultCommDataPath();

// Before the log is saved to `path`: when it is the default path, makes its missing folders,
// since on a fresh machine they never exist. A path the operator chose is left alone, so a
// folder of theirs that has gone still makes the save fail and be reported.
void PrepareCommDataFolder(const std::string& path);

}  // namespace kestrel
