// Small readers of the kernel's device tree (sysfs) and of /dev, used by port discovery. Every
// path is built from the injectable roots, so tests run them on fake trees.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Attributes in sysfs are short; anything longer is not what we look for.
inline constexpr size_t kSysfsAttributeMax = 256;

// Compares names with runs of digits taken by value, so ttyS2 sorts before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b);

// The names in a folder (without "." and ".."), in natural order; empty when it cannot be read.
std::vector<std::string> ListFolder(const std::string& folder);

// The first line of a small attribute file without surrounding white space.
std::optional<std::string> ReadAttribute(const std::string& path);

// The path with every link resolved, or empty when it does not exist.
std::string ResolvePath(const std::string& path);

bool PathExists(const std::string& path);

// The stable <devRoot>/serial/by-id name of the tty node <devRoot>/<tty> when a link there
// leads to it, else the node itself.
std::string StableTtyName(const std::string& devRoot, const std::string& tty);

// True when `name` is `prefix` followed by one or more decimal digits only.
bool IsNumberedName(const std::string& name, const std::string& prefix);

}  // namespace kestrel
