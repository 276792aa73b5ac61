// Where the console works when it was started from the desktop. The desktop entry starts it in
// "/" or the home folder, where no demo tickets lie, and the installed demo folder must not be
// written into (Kestrel.log); then the console works in the user's own demo folder,
// $XDG_DATA_HOME/Norvane/Kestrel/demo, filled from the installed one when it is first made.
// A start in any other folder, and every start with "file:" (whose name is relative to it),
// keeps the start folder.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct StartFolders {
    std::string start;          // the current directory at start
    std::string home;           // the user's home folder
    std::string installedDemo;  // the installed demo folder; "" when there is none
};

// True when the console should work in the user's demo folder instead of the start folder.
bool IsDesktopStart(const StartFolders& folders, const std::vector<std::string>& args);

// The user's demo folder: $XDG_DATA_HOME/Norvane/Kestrel/demo ("" without a home folder).
std::string UserDemoFolder();

// The demo folder installed beside the running program (<prefix>/share/kestrel/demo for
// <prefix>/bin/kestrel); "" when it is not there.
std::string InstalledDemoFolder();

// Makes `folder` from `installedDemo` when it does not exist yet (a copy of its files, made
// under a temporary name and renamed, so a failed copy leaves no half folder), then makes it
// the current directory. "" on success, otherwise why not; the current directory is then
// unchanged.
std::string EnterUserDemoFolder(const std::string& folder, const std::string& installedDemo);

// The whole decision at start-up: enters the user's demo folder on a desktop start. Returns
// "" or a message for standard error saying why the start folder was kept.
std::string ChooseWorkingFolder(const std::vector<std::string>& args);

}  // namespace kestrel
