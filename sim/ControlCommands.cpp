#include "sim/ControlCommands.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <vector>

namespace kestrel {
namespace {

constexpr int64_t kMaxCount = 1'000'000'000;  // bad-crc and drop-after take up to this
constexpr size_t kMaxWords = 2;               // a command and one argument

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < line.size() && words.size() <= kMaxWords) {
        const size_t start = line.find_first_not_of(" \t\r\n", pos);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = std::min(line.find_first_of(" \t\r\n", start), line.size());
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

// "on" (also when absent) or "off"; anything else is an error.
bool ParseSwitch(const std::vector<std::string_view>& words, bool& on) {
    if (words.size() == 1 || (words.size() == 2 && words[1] == "on")) {
        on = true;
        return true;
    }
    if (words.size() == 2 && words[1] == "off") {
        on = false;
        return true;
    }
    return false;
}

bool ParseCount(const std::vector<std::string_view>& words, int64_t& count) {
    if (words.size() != 2) {
        return false;
    }
    const std::optional<uint64_t> value = ReadDecimal(words[1], kMaxCount);
    if (value) {
        count = static_cast<int64_t>(*value);
    }
    return value.has_value();
}

std::string Quoted(std::string_view word) {
    constexpr size_t kShownChars = 40;
    return "'" + std::string(word.substr(0, kShownChars)) + "'";
}

}  // namespace

std::string ListConditions() {
    std::string text;
    for (const StatusCondition& condition : StatusConditions()) {
        if (!text.empty()) {
            text += ' ';
        }
        if (condition.controlName != nullptr) {
            text += condition.controlName;
            text += '/';
        }
        text += condition.alias;
    }
    return text;
}

std::string RunControlCommand(std::string_view line, SimPrinter& printer) {
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) {
        return "error: empty command";
    }
    if (words.size() > kMaxWords) {
        return "error: too many words";
    }
    const std::string_view command = words[0];
    FaultState& faults = printer.Faults();
    bool on = false;
    int64_t count = 0;

    if (command == "help") {
        return "ok " + std::string(kControlHelp);
    }
    if (command == "status") {
        return "ok " + printer.Describe();
    }
    if (command == "conditions") {
        return "ok " + ListConditions();
    }
    if (command == "clear") {
        faults.Clear();
        return "ok";
    }
    if (command == "bad-crc") {
        if (!ParseCount(words, count)) {
            return "error: bad-crc takes a count of replies";
        }
        faults.badCrcReplies = count;
        return "ok";
    }
    if (command == "drop-after") {
        if (!ParseCount(words, count)) {
            return "error: drop-after takes a count of bytes";
        }
        faults.dropAfterBytes = count;
        return "ok";
    }
    if (command == "drop") {
        if (words.size() != 1) {
            return "error: drop takes no argument";
        }
        faults.dropAfterBytes = 0;
        return "ok";
    }
    if (command == "silence" || command == "never-busy") {
        if (!ParseSwitch(words, on)) {
            return "error: " + std::string(command) + " takes on or off";
        }
        (command == "silence" ? faults.silent : faults.neverBusy) = on;
        return "ok";
    }
    if (command == "mode") {
        PrinterMode mode = PrinterMode::Ventrix;
        if (words.size() != 2 || !ParseModeName(words[1], mode)) {
            return "error: mode takes ventrix, smart, serial or normal";
        }
        printer.SetMode(mode);
        return "ok";
    }
    if (const StatusCondition* condition = FindStatusCondition(command)) {
        if (!ParseSwitch(words, on)) {
            return "error: " + std::string(command) + " takes on or off";
        }
        SetBit(faults.forcedBits, *condition, on);
        return "ok";
    }
    return "error: unknown command " + Quoted(command) + " (try help)";
}

}  // namespace kestrel
