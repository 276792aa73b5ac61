#include "port/SysfsTree.h"

#include "platform/AsciiText.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace kestrel {

namespace {

// The digit run starting at `pos`, without leading zeros, and the position after it.
std::string_view DigitRun(const std::string& text, size_t pos, size_t* end) {
    size_t stop = pos;
    while (stop < text.size() && IsDigit(text[stop])) {
        ++stop;
    }
    *end = stop;
    size_t first = pos;
    while (first + 1 < stop && text[first] == '0') {
        ++first;
    }
    return std::string_view(text).substr(first, stop - first);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = 0;
            size_t endB = 0;
            const std::string_view runA = DigitRun(a, i, &endA);
            const std::string_view runB = DigitRun(b, j, &endB);
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size();
            }
            if (runA != runB) {
                return runA < runB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (i == a.size() && j == b.size()) {
        return a < b;  // equal by value ("07" and "7"): any fixed order
    }
    return i == a.size();
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string text(kSysfsAttributeMax, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    text = text.substr(0, text.find('\n'));
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string ResolvePath(const std::string& path) {
    std::unique_ptr<char, void (*)(void*)> resolved(realpath(path.c_str(), nullptr), std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool IsNumberedName(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(), IsDigit);
}

std::string StableTtyName(const std::string& devRoot, const std::string& tty) {
    const std::string node = devRoot + "/" + tty;
    const std::string resolvedNode = ResolvePath(node);
    const std::string byId = devRoot + "/serial/by-id/";
    if (!resolvedNode.empty()) {
        for (const std::string& link : ListFolder(byId)) {
            if (ResolvePath(byId + link) == resolvedNode) {
                return byId + link;
            }
        }
    }
    return node;
}

}  // namespace kestrel
