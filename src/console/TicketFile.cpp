#include "console/TicketFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "console/TicketTexts.h"
#include "notation/EncodeCommandText.h"
#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

constexpr size_t kVentrixCommandMax = static_cast<size_t>(kVentrixMaximumCommand);

// Walks a file's lines as a line reader delivers them: each up to and including its line feed;
// a last line without one is a line too.
class LineWalker {
  public:
    explicit LineWalker(std::string_view text) : m_text(text) {}

    // The next line without its line end (LF, or CR LF); false at the end of the text.
    bool Next(std::string_view* line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const size_t feed = m_text.find('\n', m_pos);
        const size_t end = feed == std::string_view::npos ? m_text.size() : feed;
        *line = m_text.substr(m_pos, end - m_pos);
        if (!line->empty() && line->back() == '\r') {
            line->remove_suffix(1);
        }
        m_pos = feed == std::string_view::npos ? m_text.size() : feed + 1;
        ++m_number;
        return true;
    }
    int Number() const { return m_number; }

  private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_number = 0;
};

// A line whose first character is NUL, CR or LF is skipped (a blank line arrives here empty).
bool IsSkippedLine(std::string_view line) {
    return line.empty() || line[0] == '\0' || line[0] == '\r';
}

std::string LineText(int number) {
    return "Ticket line " + std::to_string(number);
}

bool Refuse(const std::string& reason, std::vector<std::string>* transmissions,
            std::string* error) {
    transmissions->clear();
    *error = reason;
    return false;
}

bool PrepareTicketLines(std::string_view text, bool complete,
                        std::vector<std::string>* transmissions, std::string* error) {
    LineWalker lines(text);
    std::string_view line;
    while (lines.Next(&line)) {
        if (line.size() > kTicketLineMaxChars) {
            return Refuse(LineText(lines.Number()) + kLineTooLongText + kNotSentSuffix,
                          transmissions, error);
        }
        if (IsSkippedLine(line)) {
            continue;
        }
        const std::string bytes = EncodeCommandBytes(std::string(line));
        if (bytes.empty()) {
            continue;  // a comment alone: nothing to send, not even a start byte
        }
        if (lines.Number() > kTicketMaxLines) {
            return Refuse(std::string(kTicketTooManyLinesText) + kNotSentSuffix, transmissions,
                          error);
        }
        if (bytes.size() > kVentrixCommandMax) {
            return Refuse(LineText(lines.Number()) + kLineTooLongForPacketText + kNotSentSuffix,
                          transmissions, error);
        }
        transmissions->push_back(bytes);
    }
    if (!complete) {
        return Refuse(std::string(kTicketTooManyLinesText) + kNotSentSuffix, transmissions, error);
    }
    return true;
}

}  // namespace

bool PrepareTicket(const std::string& path, TicketLayout layout,
                   std::vector<std::string>* transmissions, std::string* error) {
    transmissions->clear();
    const size_t limit =
        layout == TicketLayout::Whole ? kTicketWholeMaxBytes : kTicketLinesFileMaxBytes;
    std::string text;
    BoundedReadOutcome outcome;
    if (!ReadBoundedFile(path, &text, limit, &outcome)) {
        return Refuse(kTicketNotFoundText, transmissions, error);
    }
    if (layout == TicketLayout::Whole && outcome.cutShort) {
        return Refuse(std::string(kTicketTooLongText) + kNotSentSuffix, transmissions, error);
    }
    // The conversion stops at a NUL: the rest of such a file would be lost without a word.
    if (text.find('\0') != std::string::npos) {
        return Refuse(std::string(kTicketHoldsNulText) + kNotSentSuffix, transmissions, error);
    }
    if (layout == TicketLayout::Whole) {
        std::string bytes = EncodeCommandBytes(text);
        if (!bytes.empty()) {
            transmissions->push_back(std::move(bytes));
        }
    } else if (!PrepareTicketLines(text, !outcome.cutShort, transmissions, error)) {
        return false;
    }
    if (transmissions->empty()) {
        return Refuse(std::string(kTicketEmptyText) + kNotSentSuffix, transmissions, error);
    }
    return true;
}

bool PrepareBinaryBlocks(const std::string& path, std::vector<std::string>* blocks,
                         std::string* error) {
    blocks->clear();
    std::string bytes;
    BoundedReadOutcome outcome;
    if (!ReadBoundedFile(path, &bytes, kBinaryFileMaxBytes, &outcome)) {
        return Refuse(kTicketNotFoundText, blocks, error);
    }
    if (outcome.cutShort) {
        return Refuse(kBinaryTooLongText, blocks, error);
    }
    for (size_t at = 0; at < bytes.size(); at += kBinaryBlockBytes) {
        blocks->push_back(bytes.substr(at, kBinaryBlockBytes));
    }
    return true;
}

bool PrepareBinaryLines(const std::string& path, std::vector<std::string>* packets,
                        std::string* error) {
    packets->clear();
    std::string text;
    BoundedReadOutcome outcome;
    if (!ReadBoundedFile(path, &text, kBinaryFileMaxBytes, &outcome)) {
        return Refuse(kTicketNotFoundText, packets, error);
    }
    if (outcome.cutShort) {
        return Refuse(kBinaryTooLongText, packets, error);
    }
    LineWalker lines(text);
    std::string_view line;
    while (lines.Next(&line)) {
        if (IsSkippedLine(line)) {
            continue;
        }
        if (lines.Number() > kTicketMaxLines) {
            return Refuse(kBinaryTooManyLinesText, packets, error);
        }
        if (line.size() > kVentrixCommandMax) {
            return Refuse(
                "Line " + std::to_string(lines.Number()) + " of the file" + kBinaryLineTooLongText,
                packets, error);
        }
        packets->emplace_back(line);
    }
    return true;
}

std::vector<std::string> ListDemoTitles(const std::string& folder, size_t limit, size_t* found) {
    std::vector<std::string> titles;
    *found = 0;
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) {
        return titles;
    }
    const std::string_view extension(kTicketExtension);
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= extension.size() || !name.ends_with(extension)) {
            continue;
        }
        // Only files can be tickets; fstatat does not open, so a FIFO cannot block here.
        struct stat info {};
        if (fstatat(dirfd(directory), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        titles.emplace_back(name.substr(0, name.size() - extension.size()));
    }
    closedir(directory);
    *found = titles.size();
    // Which tickets are listed must not depend on the order the folder happens to hold them.
    std::sort(titles.begin(), titles.end(),
              [](const std::string& a, const std::string& b) { return SortsBeforeInList(a, b); });
    if (titles.size() > limit) {
        titles.resize(limit);
    }
    return titles;
}

}  // namespace kestrel
