// The settings key: typed values (DWORD, binary, string) whose names compare without regard to
// case, kept in a registry export file (REGEDIT4 text). Every change is written through at once
// and atomically, so a crash mid-write leaves the previous file whole. A damaged file reads as
// missing values; the values that could be read survive the next write. The file format is
// described in platform/RegistryText.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class SettingsValueType { Dword, Binary, String };

enum class SettingsAccess {
    ReadWrite,  // open an existing file for reading and writing
    ReadOnly,   // open an existing file; every write fails
    Create,     // open or create the file (and its folder) for reading and writing
};

class SettingsKey {
  public:
    // Opens the settings file at `path` with the given access; null when that is not possible.
    static std::unique_ptr<SettingsKey> Open(const std::string& path, SettingsAccess access);

    // The file of the key "SOFTWARE\Quillon\IOCommKestrel": $KESTREL_SETTINGS, else
    // $XDG_CONFIG_HOME/Quillon/IOCommKestrel.reg, else ~/.config/Quillon/IOCommKestrel.reg.
    static std::string DefaultPath();

    virtual ~SettingsKey() = default;

    // Like RegQueryValueEx: copies at most `capacity` bytes of the value into `buffer` and
    // reports the stored size and type. False when the value is missing or does not fit.
    virtual bool Query(std::string_view name, void* buffer, size_t capacity, size_t* size,
                       SettingsValueType* type) const = 0;

    // The names of the values, in the order they are stored, as the registry enumerates them.
    virtual std::vector<std::string> ValueNames() const = 0;

    // Typed conveniences. A DWORD read takes any value of exactly 4 bytes, without checking
    // its type, as the settings reader of the port object expects; a shorter or longer value
    // (a damaged or mistyped one) reads as missing.
    bool ReadDword(std::string_view name, uint32_t* value) const;
    // Reads a value of at most `capacity` bytes (a longer one fails, as the registry's read
    // does); `size` (optional) receives the count copied.
    bool ReadBinary(std::string_view name, void* buffer, size_t capacity,
                    size_t* size = nullptr) const;

    // Each write replaces the value (keeping the spelling of the name first stored) and saves.
    virtual bool SetDword(std::string_view name, uint32_t value) = 0;
    virtual bool SetBinary(std::string_view name, const void* data, size_t size) = 0;
    // A string value: stored as given, `size` bytes (with or without a terminating zero).
    virtual bool SetString(std::string_view name, const char* text, size_t size) = 0;
    virtual bool DeleteValue(std::string_view name) = 0;
};

}  // namespace kestrel
