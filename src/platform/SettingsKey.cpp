#include "platform/SettingsKey.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/RegistryText.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

constexpr uint32_t kDwordSize = 4;
constexpr std::string_view kSettingsRelativePath = "Quillon/IOCommKestrel.reg";

// The key as a file: the values are kept in memory and every change is written through. The
// file (a few kilobytes) is read again before each use, so all open keys, in this process or
// another, see one set of values, as registry handles do.
class FileSettingsKey : public SettingsKey {
  public:
    FileSettingsKey(std::string path, bool writable)
        : m_path(std::move(path)), m_writable(writable) {}

    // False when the file cannot be read; the values in memory then stay as they were.
    bool Load() const {
        std::string text;
        if (!ReadBoundedFile(m_path, &text)) {
            return false;
        }
        m_values = ParseRegistryText(text);
        return true;
    }

    bool Query(std::string_view name, void* buffer, size_t capacity, size_t* size,
               SettingsValueType* type) const override {
        Load();
        const SettingsValue* value = Find(name);
        if (value == nullptr) {
            return false;
        }
        if (size != nullptr) {
            *size = value->data.size();
        }
        if (type != nullptr) {
            *type = value->type;
        }
        if (value->data.size() > capacity) {
            return false;
        }
        if (!value->data.empty()) {
            std::memcpy(buffer, value->data.data(), value->data.size());
        }
        return true;
    }

    std::vector<std::string> ValueNames() const override {
        Load();
        std::vector<std::string> names;
        names.reserve(m_values.size());
        for (const SettingsValue& value : m_values) {
            names.push_back(value.name);
        }
        return names;
    }

    bool SetDword(std::string_view name, uint32_t number) override {
        std::vector<uint8_t> data;
        for (uint32_t shift = 0; shift < 8 * kDwordSize; shift += 8) {
            data.push_back(static_cast<uint8_t>(number >> shift));
        }
        return Set(name, SettingsValueType::Dword, std::move(data));
    }

    bool SetBinary(std::string_view name, const void* data, size_t size) override {
        const auto* bytes = static_cast<const uint8_t*>(data);
        return Set(name, SettingsValueType::Binary,
                   size == 0 ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes, bytes + size));
    }

    bool SetString(std::string_view name, const char* text, size_t size) override {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text);
        return Set(name, SettingsValueType::String,
                   size == 0 ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes, bytes + size));
    }

    bool DeleteValue(std::string_view name) override {
        if (!m_writable) {
            return false;
        }
        Load();
        std::vector<SettingsValue> changed = m_values;
        const auto found =
            std::find_if(changed.begin(), changed.end(),
                         [&](const SettingsValue& v) { return SameValueName(v.name, name); });
        if (found == changed.end()) {
            return false;
        }
        changed.erase(found);
        return Save(std::move(changed));
    }

  private:
    const SettingsValue* Find(std::string_view name) const {
        for (const SettingsValue& value : m_values) {
            if (SameValueName(value.name, name)) {
                return &value;
            }
        }
        return nullptr;
    }

    bool Set(std::string_view name, SettingsValueType type, std::vector<uint8_t> data) {
        if (!m_writable || !IsWritableValueName(name) || data.size() > kRegistryMaxValueSize) {
            return false;
        }
        Load();
        std::vector<SettingsValue> changed = m_values;
        bool replaced = false;
        for (SettingsValue& value : changed) {
            if (SameValueName(value.name, name)) {
                value.type = type;
                value.data = data;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            changed.push_back(SettingsValue{std::string(name), type, std::move(data)});
        }
        return Save(std::move(changed));
    }

    // Only a successful write changes the values in memory.
    bool Save(std::vector<SettingsValue> changed) {
        if (!WriteFileAtomically(m_path, FormatRegistryText(changed))) {
            return false;
        }
        m_values = std::move(changed);
        return true;
    }

    std::string m_path;
    bool m_writable;
    mutable std::vector<SettingsValue> m_values;
};

}  // namespace

std::unique_ptr<SettingsKey> SettingsKey::Open(const std::string& path, SettingsAccess access) {
    if (path.empty()) {
        return nullptr;
    }
    bool writable = true;
    switch (access) {
        case SettingsAccess::ReadWrite:
            if (!FileWritable(path)) {
                return nullptr;
            }
            break;
        case SettingsAccess::ReadOnly:
            writable = false;
            break;
        case SettingsAccess::Create:
            if (!CreateFileWithFolders(path, FormatRegistryText({}))) {
                return nullptr;
            }
            break;
    }
    auto key = std::make_unique<FileSettingsKey>(path, writable);
    if (!key->Load()) {
        return nullptr;
    }
    return key;
}

std::string SettingsKey::DefaultPath() {
    const char* explicitPath = std::getenv("KESTREL_SETTINGS");
    if (explicitPath != nullptr && explicitPath[0] != '\0') {
        return explicitPath;
    }
    const std::string base = XdgBaseFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? "" : base + "/" + std::string(kSettingsRelativePath);
}

bool SettingsKey::ReadDword(std::string_view name, uint32_t* value) const {
    uint8_t bytes[kDwordSize];
    size_t size = 0;
    if (!Query(name, bytes, sizeof bytes, &size, nullptr) || size != kDwordSize) {
        return false;
    }
    uint32_t number = 0;
    for (int i = kDwordSize - 1; i >= 0; --i) {
        number = (number << 8) | bytes[i];
    }
    *value = number;
    return true;
}

bool SettingsKey::ReadBinary(std::string_view name, void* buffer, size_t capacity,
                             size_t* size) const {
    size_t stored = 0;
    if (!Query(name, buffer, capacity, &stored, nullptr)) {
        return false;
    }
    if (size != nullptr) {
        *size = stored;
    }
    return true;
}

}  // namespace kestrel
