#include "console/CommDataPath.h"

#include "platform/AtomicFile.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

constexpr const char* kCommDataUnderDataFolder = "Norvane/Kestrel/KestrelCommData.rtf";

}  // namespace

std::string DefaultCommDataPath() {
    const std::string dataFolder = XdgBaseFolder("XDG_DATA_HOME", ".local/share");
    if (dataFolder.empty()) {
        return kCommDataUnderDataFolder;
    }
    return dataFolder + "/" + kCommDataUnderDataFolder;
}

void PrepareCommDataFolder(const std::string& path) {
    if (path != DefaultCommDataPath()) {
        return;
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        MakeFolders(path.substr(0, slash));
    }
}

}  // namespace kestrel
