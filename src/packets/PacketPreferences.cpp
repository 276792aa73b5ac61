#include "packets/PacketPreferences.h"

#include <cstring>

#include "packets/RecordingFolder.h"

namespace kestrel {
namespace {

constexpr const char* kRecordSessionsValue = "RecordSessions";
constexpr const char* kRecordingFolderValue = "RecordingFolder";
constexpr const char* kRecordingLimitValue = "RecordingLimitMB";
constexpr const char* kViewShownValue = "PacketViewShown";
constexpr const char* kViewFilterValue = "PacketViewFilter";
constexpr size_t kFolderMost = 4096;
// The filter as bits: sent, received, then one for each kind.
constexpr uint32_t kSentBit = 1;
constexpr uint32_t kReceivedBit = 2;
constexpr int kFirstKindBit = 2;

uint32_t FilterBits(const PacketFilter& filter) {
    uint32_t bits = (filter.sent ? kSentBit : 0) | (filter.received ? kReceivedBit : 0);
    for (size_t kind = 0; kind < filter.kinds.size(); ++kind) {
        bits |= filter.kinds[kind] ? 1u << (kFirstKindBit + kind) : 0;
    }
    return bits;
}

PacketFilter FilterFromBits(uint32_t bits) {
    PacketFilter filter;
    filter.sent = (bits & kSentBit) != 0;
    filter.received = (bits & kReceivedBit) != 0;
    for (size_t kind = 0; kind < filter.kinds.size(); ++kind) {
        filter.kinds[kind] = (bits & (1u << (kFirstKindBit + kind))) != 0;
    }
    return filter;
}

}  // namespace

PacketPreferences PacketPreferences::Load(const SettingsKey* key) {
    PacketPreferences preferences;
    preferences.recording.limitBytes = kDefaultRecordingLimitMb * kBytesPerMb;
    if (key == nullptr) {
        return preferences;
    }
    uint32_t value = 0;
    if (key->ReadDword(kRecordSessionsValue, &value)) {
        preferences.recording.enabled = value != 0;
    }
    if (key->ReadDword(kRecordingLimitValue, &value) && value > 0) {
        preferences.recording.limitBytes = uint64_t{value} * kBytesPerMb;
    }
    if (key->ReadDword(kViewShownValue, &value)) {
        preferences.viewShown = value != 0;
    }
    if (key->ReadDword(kViewFilterValue, &value)) {
        preferences.filter = FilterFromBits(value);
    }
    char folder[kFolderMost] = {};
    size_t size = 0;
    if (key->ReadBinary(kRecordingFolderValue, folder, sizeof folder, &size)) {
        preferences.recording.folder.assign(folder, strnlen(folder, size));
    }
    return preferences;
}

void PacketPreferences::Save(SettingsKey& key) const {
    key.SetDword(kRecordSessionsValue, recording.enabled ? 1 : 0);
    key.SetDword(kRecordingLimitValue, static_cast<uint32_t>(recording.limitBytes / kBytesPerMb));
    key.SetDword(kViewShownValue, viewShown ? 1 : 0);
    key.SetDword(kViewFilterValue, FilterBits(filter));
    key.SetString(kRecordingFolderValue, recording.folder.c_str(), recording.folder.size() + 1);
}

}  // namespace kestrel
