#include "DemoFolder.h"

#include <algorithm>
#include <filesystem>

#include "notation/EncodeCommandText.h"
#include "support/FileBytes.h"

namespace kestrel::testing {

std::vector<std::string> DemoTicketTitles() {
    std::vector<std::string> titles;
    for (const auto& entry : std::filesystem::directory_iterator(kDemoFolder)) {
        if (entry.path().extension() == ".dmo") {
            titles.push_back(entry.path().stem().string());
        }
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

std::string DemoFile(const std::string& name) {
    return ReadFileBytes(kDemoFolder + "/" + name);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<uint8_t> Encode(const std::string& text) {
    std::string buffer = text;
    const int count = EncodeCommandText(buffer.data());
    return std::vector<uint8_t>(buffer.begin(), buffer.begin() + count);
}

}  // namespace kestrel::testing
