// Whole files as bytes, for tests that check what was written or prepare what is read.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace kestrel::testing {

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace kestrel::testing
