// The packet view's and the session recording's choices, kept in the settings key under value
// names of ours.
#pragma once

#include <cstdint>
#include <string>

#include "packets/PacketStore.h"
#include "packets/RecordingWriter.h"
#include "platform/SettingsKey.h"

namespace kestrel {

struct PacketPreferences {
    RecordingSettings recording;
    bool viewShown = false;
    PacketFilter filter;

    // Missing or unreadable values keep their defaults: recording on, in the default folder,
    // at most kDefaultRecordingLimitMb; the view hidden, showing everything.
    static PacketPreferences Load(const SettingsKey* key);
    void Save(SettingsKey& key) const;
};

}  // namespace kestrel
