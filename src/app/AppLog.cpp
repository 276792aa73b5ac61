#include "app/AppLog.h"

#include <cstdio>

#include "app/CKestrelApp.h"

namespace kestrel {
namespace {

void StartEmptyLog() {
    if (std::FILE* log = std::fopen(kAppLogName, "w")) {
        std::fclose(log);
    }
}

}  // namespace

void AppendAppLogEntry(Clock& clock, const std::string& text) {
    std::FILE* log = std::fopen(kAppLogName, "a");
    if (log == nullptr) {
        return;
    }
    setvbuf(log, nullptr, _IOLBF, BUFSIZ);  // each line reaches the file as it ends
    const std::string stamp = clock.FormatLocalTime(kAppLogTimeFormat);
    std::fputs("\n", log);
    std::fputs(stamp.c_str(), log);
    std::fputs("\n", log);
    std::fwrite(text.data(), 1, text.size(), log);
    std::fputs("\n\n", log);
    const long size = std::ftell(log);
    std::fclose(log);
    if (size > kAppLogMaxSize) {
        // Where the log cannot be moved aside, starting it empty still keeps it bounded.
        std::rename(kAppLogName, kAppLogPreviousName);
        StartEmptyLog();
    }
}

int CKestrelApp::WriteAppLog(const std::string& text) {
    AppendAppLogEntry(m_clock, text);
    return 1;
}

}  // namespace kestrel
