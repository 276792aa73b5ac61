#include "packets/RecordingFormat.h"

#include <charconv>

#include "commlog/TrafficCapture.h"
#include "packets/FrameFacts.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::string_view kSent = "sent";
constexpr std::string_view kReceived = "received";
constexpr size_t kColumnCount = 8;

void AppendNumber(uint64_t value, std::string& out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// A summary is one CSV field: quoted, its quotes doubled, no line breaks.
void AppendQuoted(std::string_view text, std::string& out) {
    out += '"';
    for (const char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else {
            out += (c == '\n' || c == '\r') ? ' ' : c;
        }
    }
    out += '"';
}

bool ReadNumber(std::string_view text, uint64_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool ReadHexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    size_t at = 0;
    while (at < text.size()) {
        if (at + 2 > text.size()) {
            return false;
        }
        const int high = HexValue(text[at]);
        const int low = HexValue(text[at + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        at += 2;
        if (at < text.size()) {
            if (text[at] != ' ') {
                return false;
            }
            ++at;
        }
    }
    return true;
}

bool ReadArrivals(std::string_view text, size_t frameSize, std::vector<ByteArrival>& arrivals) {
    arrivals.clear();
    while (!text.empty()) {
        const size_t space = text.find(' ');
        const std::string_view entry = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        const size_t first = entry.find('/');
        const size_t second = first == std::string_view::npos ? first : entry.find('/', first + 1);
        uint64_t index = 0;
        ByteArrival arrival;
        if (second == std::string_view::npos || !ReadNumber(entry.substr(0, first), index) ||
            !ReadNumber(entry.substr(first + 1, second - first - 1), arrival.timeUs) ||
            !ReadNumber(entry.substr(second + 1), arrival.sessionByte) || index == 0 ||
            index >= frameSize || (!arrivals.empty() && index <= arrivals.back().index)) {
            return false;
        }
        arrival.index = static_cast<uint32_t>(index);
        arrivals.push_back(arrival);
    }
    return true;
}

// Splits a CSV line into its fields; a quoted field may hold commas and doubled quotes.
bool SplitFields(std::string_view line, std::string_view* fields, size_t count) {
    size_t field = 0;
    size_t at = 0;
    while (field < count) {
        if (at < line.size() && line[at] == '"') {
            size_t end = at + 1;
            for (;;) {
                end = line.find('"', end);
                if (end == std::string_view::npos) {
                    return false;
                }
                if (end + 1 < line.size() && line[end + 1] == '"') {
                    end += 2;
                    continue;
                }
                break;
            }
            fields[field++] = line.substr(at + 1, end - at - 1);
            at = end + 1;
        } else {
            const size_t comma = std::min(line.find(',', at), line.size());
            fields[field++] = line.substr(at, comma - at);
            at = comma;
        }
        if (field == count) {
            return at == line.size();
        }
        if (at >= line.size() || line[at] != ',') {
            return false;
        }
        ++at;
    }
    return false;
}

}  // namespace

std::string RecordingHeader(std::string_view started, std::string_view port) {
    std::string header(kRecordingMagic);
    header += "\n";
    header += kRecordingStartedPrefix;
    header += started;
    header += "\n";
    header += RecordingPortLine(port);
    header += kRecordingColumns;
    header += "\n";
    return header;
}

std::string RecordingPortLine(std::string_view port) {
    std::string line(kRecordingPortPrefix);
    for (const char c : port) {
        line += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return line + "\n";
}

void AppendRecordingLine(const FrameView& frame, std::string& out) {
    AppendNumber(frame.timeUs, out);
    out += ',';
    if (frame.direction == TrafficSent) {
        out += kSent;
    } else if (frame.direction == TrafficReceived) {
        out += kReceived;
    }
    out += ',';
    out += PrinterModeName(frame.printerMode);
    out += ',';
    out += FrameKindName(frame.kind);
    out += ',';
    for (size_t i = 0; i < frame.bytes.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += kUpperHexDigits[frame.bytes[i] >> 4];
        out += kUpperHexDigits[frame.bytes[i] & 0xF];
    }
    out += ',';
    const FrameFacts facts =
        DescribeFrame(frame.kind, frame.direction, frame.bytes, frame.printerMode);
    AppendQuoted(FrameSummary(frame.kind, facts), out);
    out += ',';
    AppendNumber(frame.sessionByte, out);
    out += ',';
    for (size_t i = 0; i < frame.arrivals.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        AppendNumber(frame.arrivals[i].index, out);
        out += '/';
        AppendNumber(frame.arrivals[i].timeUs, out);
        out += '/';
        AppendNumber(frame.arrivals[i].sessionByte, out);
    }
    out += '\n';
}

RecordingLine ParseRecordingLine(std::string_view line, ParsedFrame& parsed) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.empty() || line[0] == '#' || line == kRecordingColumns) {
        return RecordingLine::Comment;
    }
    std::string_view fields[kColumnCount];
    if (!SplitFields(line, fields, kColumnCount)) {
        return RecordingLine::Damaged;
    }
    FrameView& frame = parsed.frame;
    frame = FrameView{};
    const std::optional<int> mode = PrinterModeNamed(fields[2]);
    const std::optional<FrameKind> kind = FrameKindNamed(fields[3]);
    if (!ReadNumber(fields[0], frame.timeUs) || !mode || !kind ||
        !ReadHexBytes(fields[4], parsed.bytes) || !ReadNumber(fields[6], frame.sessionByte) ||
        !ReadArrivals(fields[7], parsed.bytes.size(), parsed.arrivals)) {
        return RecordingLine::Damaged;
    }
    frame.printerMode = *mode;
    frame.kind = *kind;
    if (fields[1] == kSent) {
        frame.direction = TrafficSent;
    } else if (fields[1] == kReceived) {
        frame.direction = TrafficReceived;
    } else if (!fields[1].empty()) {
        return RecordingLine::Damaged;
    }
    // A frame has bytes and a direction; a mode row has neither.
    const bool modeRow = frame.kind == FrameKind::Mode;
    if (modeRow != parsed.bytes.empty() || modeRow != (frame.direction == kNoDirection)) {
        return RecordingLine::Damaged;
    }
    frame.bytes = parsed.bytes;
    frame.arrivals = parsed.arrivals;
    return RecordingLine::Frame;
}

}  // namespace kestrel
