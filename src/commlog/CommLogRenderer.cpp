#include "commlog/CommLogRenderer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "commlog/CommLogDocument.h"
#include "commlog/CommLogRendering.h"
#include "commlog/RtfReader.h"
#include "notation/ControlCodeTable.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::string_view kRowColour[] = {"\\cf2 ", "\\cf3 "};  // sent row, received row
constexpr std::string_view kTimeColour = "\\cf1 ";
constexpr std::string_view kBoldOn = "\\b ";
constexpr std::string_view kBoldOff = "\\b0 ";
constexpr std::string_view kHexOwnTail = "\\b0 ..";
constexpr std::string_view kHexOtherDots = "....";
constexpr std::string_view kDots = "......";
constexpr std::string_view kSpaces = "      ";

constexpr int kBlockWidthLimit = kCommLogBlockWidthLimit;
constexpr int kHexCellWidth = 4;
constexpr int kHighByteCellWidth = 6;   // "<0xHH>"
constexpr int kBracketWidth = 2;        // the "[" and "]" around a control byte's name
constexpr uint64_t kDeltaMask = 0xFFF;  // deltas are shown modulo 4096
constexpr int kFirstHighByte = 0x7F;
constexpr int kByteMask = 0xFF;

// "\cf2 \b <0xFF>\b0 ", the longest cell; every cell is at least one wide, so a block holds at
// most kBlockWidthLimit + 1 cells.
constexpr size_t kMaxCellBytes = 18;
constexpr size_t kRowCapacity = kMaxCellBytes * (kBlockWidthLimit + 1);
constexpr size_t kMaxBlockBytes =
    3 * kRowCapacity + 2 * kCommLogRowEnd.size() + kCommLogBlockEnd.size();
// What a record adds on average in the hexadecimal form, to size the buffer in one step.
constexpr size_t kTypicalRecordBytes = 36;

enum Row { kSentRow = 0, kReceivedRow = 1, kTimeRow = 2, kRowCount = 3 };

// The colour-table index of each row's colour words: sent, received, time.
constexpr uint16_t kRowColourIndex[kRowCount] = {2, 3, 1};
constexpr RowStyle Plain(Row row) {
    return RowStyle{kRowColourIndex[row], 0};
}
constexpr RowStyle Bold(Row row) {
    return RowStyle{kRowColourIndex[row], 1};
}

// Renderings are numbered across the process, so a pane can tell which one it holds.
std::atomic<uint64_t> s_renderings{0};

constexpr size_t kColourCodeBytes = 5;  // "\cfN "
static_assert(kRowColour[0].size() == kColourCodeBytes && kTimeColour.size() == kColourCodeBytes);

// Every hexadecimal cell of a byte's own row, whole ("\cf2 \b 1B\b0 .."), so a cell is one copy.
constexpr size_t kHexOwnCellBytes = 16;
using HexOwnCells = std::array<std::array<std::array<char, kHexOwnCellBytes>, 256>, 2>;
constexpr HexOwnCells MakeHexOwnCells() {
    HexOwnCells cells{};
    for (int row = 0; row < 2; ++row) {
        for (int value = 0; value < 256; ++value) {
            auto& cell = cells[row][value];
            size_t at = 0;
            for (const std::string_view part : {kRowColour[row], kBoldOn}) {
                for (const char c : part) {
                    cell[at++] = c;
                }
            }
            cell[at++] = kUpperHexDigits[value >> 4];
            cell[at++] = kUpperHexDigits[value & 0xF];
            for (const char c : kHexOwnTail) {
                cell[at++] = c;
            }
        }
    }
    return cells;
}
constexpr HexOwnCells kHexOwnCells = MakeHexOwnCells();

// The other row's cell, by the row it is written to: "\cf2 ...." or "\cf3 ....".
constexpr size_t kHexOtherCellBytes = 9;
using HexOtherCells = std::array<std::array<char, kHexOtherCellBytes>, 2>;
constexpr HexOtherCells MakeHexOtherCells() {
    HexOtherCells cells{};
    for (int row = 0; row < 2; ++row) {
        size_t at = 0;
        for (const std::string_view part : {kRowColour[row], kHexOtherDots}) {
            for (const char c : part) {
                cells[row][at++] = c;
            }
        }
    }
    return cells;
}
constexpr HexOtherCells kHexOtherCells = MakeHexOtherCells();
constexpr size_t kTimeCellBytes = 9;  // "\cf1 xxx "

inline char* Put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

inline uint64_t TickOf(const TrafficRecord& record) {
    return (static_cast<uint64_t>(record.tickHigh) << 32) | record.tick;
}

// The three rows of the block being built, written straight into fixed buffers.
class Block {
  public:
    int Width() const { return m_width; }

    void AddHexCell(uint8_t value, Row own, uint64_t delta) {
        std::memcpy(m_end[own], kHexOwnCells[own][value].data(), kHexOwnCellBytes);
        m_end[own] += kHexOwnCellBytes;
        const Row other = Other(own);
        std::memcpy(m_end[other], kHexOtherCells[other].data(), kHexOtherCellBytes);
        m_end[other] += kHexOtherCellBytes;
        char* out = m_end[kTimeRow];
        std::memcpy(out, kTimeColour.data(), kColourCodeBytes);
        out[kColourCodeBytes] = kLowerHexDigits[(delta >> 8) & 0xF];
        out[kColourCodeBytes + 1] = kLowerHexDigits[(delta >> 4) & 0xF];
        out[kColourCodeBytes + 2] = kLowerHexDigits[delta & 0xF];
        out[kColourCodeBytes + 3] = ' ';
        m_end[kTimeRow] = out + kTimeCellBytes;
        m_width += kHexCellWidth;

        // In the hexadecimal form every piece of a row is in the row's colour and each cell
        // ends plain, so the bold digits always open a piece and the plain text after them
        // continues one.
        const char digits[] = {kUpperHexDigits[value >> 4], kUpperHexDigits[value & 0xF]};
        m_styled[own].AppendNewPiece(std::string_view(digits, 2), Bold(own));
        m_styled[own].AppendNewPiece(kHexOtherDots.substr(0, 2), Plain(own));
        m_styled[own].EndIn(Plain(own));
        m_styled[other].AppendToLastPiece(kHexOtherDots, Plain(other));
        m_styled[other].EndIn(Plain(other));
        m_styled[kTimeRow].AppendToLastPiece(std::string_view(out + kColourCodeBytes, 4),
                                             Plain(kTimeRow));
        m_styled[kTimeRow].EndIn(Plain(kTimeRow));
    }

    void AddTextCell(uint8_t value, Row own) {
        char* out = OwnCellStart(own);
        char* const shownStart = out;
        const auto width = static_cast<size_t>(CommLogCellWidth(value, 0));
        if (value < kFirstPrintable) {
            const std::string_view name = ControlCodeName(value);
            *out++ = '[';
            out = Put(out, name);
            *out++ = ']';
        } else if (value < kFirstHighByte) {
            if (value == '\\' || value == '{' || value == '}') {
                *out++ = '\\';
            }
            *out++ = static_cast<char>(value);
        } else {
            out = Put(out, "<0x");
            *out++ = kUpperHexDigits[value >> 4];
            *out++ = kUpperHexDigits[value & 0xF];
            *out++ = '>';
        }
        if (value >= kFirstPrintable && value < kFirstHighByte) {
            // The pane shows the character itself, not its escape.
            const char shown = static_cast<char>(value);
            m_styled[own].Append(std::string_view(&shown, 1), Bold(own));
        } else {
            m_styled[own].Append(
                std::string_view(shownStart, static_cast<size_t>(out - shownStart)), Bold(own));
        }
        m_styled[own].EndIn(Plain(own));
        m_end[own] = Put(out, kBoldOff);
        const Row other = Other(own);
        std::memcpy(m_end[other], kRowColour[other].data(), kColourCodeBytes);
        m_end[other] = Put(m_end[other] + kColourCodeBytes, kDots.substr(0, width));
        m_styled[other].Append(kDots.substr(0, width), Plain(other));
        m_styled[other].EndIn(Plain(other));
        // The time row of the text form has no colour word: its blanks take the style in force.
        m_end[kTimeRow] = Put(m_end[kTimeRow], kSpaces.substr(0, width));
        m_styled[kTimeRow].AppendInStyleInForce(kSpaces.substr(0, width));
        m_width += static_cast<int>(width);
    }

    // Appends the block at `size` in `buffer` (which has room) and its styled rows to `styled`,
    // and empties it.
    size_t AppendTo(char* buffer, size_t size, StyledRowWriter& styled) {
        char* out = buffer + size;
        out = Put(Put(out, Text(kSentRow)), kCommLogRowEnd);
        out = Put(Put(out, Text(kReceivedRow)), kCommLogRowEnd);
        out = Put(Put(out, Text(kTimeRow)), kCommLogBlockEnd);
        for (int row = 0; row < kRowCount; ++row) {
            m_end[row] = m_rows[row];
            styled.WriteRow(m_styled[row]);
            m_styled[row].Clear();
        }
        styled.WriteEmptyRow();  // the empty line between blocks
        m_width = 0;
        return static_cast<size_t>(out - buffer);
    }

  private:
    static Row Other(Row own) { return own == kSentRow ? kReceivedRow : kSentRow; }

    char* OwnCellStart(Row own) {
        std::memcpy(m_end[own], kRowColour[own].data(), kColourCodeBytes);
        return Put(m_end[own] + kColourCodeBytes, kBoldOn);
    }

    std::string_view Text(int row) const {
        return {m_rows[row], static_cast<size_t>(m_end[row] - m_rows[row])};
    }

    char m_rows[kRowCount][kRowCapacity];
    char* m_end[kRowCount] = {m_rows[kSentRow], m_rows[kReceivedRow], m_rows[kTimeRow]};
    StyledRow m_styled[kRowCount];
    int m_width = 0;
};

// Makes room for `extra` more bytes after `size`, growing geometrically.
char* Reserve(std::string& buffer, size_t size, size_t extra) {
    if (size + extra > buffer.size()) {
        buffer.resize(std::max(buffer.size() * 2, size + extra));
    }
    return buffer.data();
}

}  // namespace

int CommLogCellWidth(uint8_t value, int hexDisplay) {
    if (hexDisplay != 0) {
        return kHexCellWidth;
    }
    if (value < kFirstPrintable) {
        return static_cast<int>(std::string_view(ControlCodeName(value)).size()) + kBracketWidth;
    }
    return value < kFirstHighByte ? 1 : kHighByteCellWidth;
}

CommLogRenderer::OpenBlock CommLogRenderer::MarkOpenBlock(int record, size_t documentSize,
                                                          RowStyle style) const {
    return OpenBlock{record,
                     documentSize,
                     m_content.text.size(),
                     m_content.lineStarts.size(),
                     m_content.runs.size(),
                     m_content.longestLine,
                     style};
}

bool CommLogRenderer::Continues(const TrafficCapture& capture, int hexDisplay, int start,
                                int end) const {
    // The records before the open block are the ones rendered last time only while the
    // capture has not been emptied since and has not shrunk.
    return m_continuable && hexDisplay == m_renderedHex && start == m_renderedStart &&
           capture.m_generation == m_renderedGeneration && end >= m_renderedEnd &&
           m_open.record <= end;
}

int CommLogRenderer::Render(int force, TrafficCapture& capture, int hexDisplay, int legacyPlatform,
                            CommLogPane* pane) {
    const int count = capture.m_trafficCount;
    if (force == 0 && count == m_lastRenderedCount && count != 0) {
        return 0;
    }
    m_lastRenderedCount = count;
    if (legacyPlatform != 0) {
        capture.m_trafficFirstShown = std::max(count - kLegacyPlatformWindow, 0);
    }
    // Indexes outside the array are never read, whatever the fields hold.
    const int end = std::clamp(count, 0, kTrafficCapacity);
    const int start = std::max(capture.m_trafficFirstShown, 0);
    const bool continues = Continues(capture, hexDisplay, start, end);

    CommLogRendering rendering;
    size_t size = 0;
    uint64_t previousTick = 0;
    int first = start;
    RowStyle style;
    if (continues) {
        rendering.previousSerial = m_serial;
        rendering.keptRecords = m_renderedRecords;
        size = m_open.documentSize;
        m_content.text.resize(m_open.textSize);
        m_content.lineStarts.resize(m_open.lines);
        m_content.runs.resize(m_open.runs);
        m_content.longestLine = m_open.longestLine;
        // The delta of the open block's first record counts from the record before it, or from
        // the capture's first record, which may have arrived only since.
        first = m_open.record;
        previousTick = TickOf(capture.m_traffic[first > start ? first - 1 : 0]);
        style = m_open.style;
    } else {
        const StyledText& header = CommLogHeaderContent();
        m_content.Clear();
        m_content.colours = header.colours;
        if (!header.runs.empty()) {
            style = RowStyle{header.runs.back().colour, header.runs.back().bold};
        }
        previousTick = TickOf(capture.m_traffic[0]);
    }
    rendering.keptDocumentBytes = size;
    rendering.keptTextBytes = m_content.text.size();
    rendering.keptLines = m_content.lineStarts.size();
    rendering.keptRuns = m_content.runs.size();

    const size_t records = static_cast<size_t>(std::max(end - first, 0));
    char* out = Reserve(m_buffer, size,
                        kCommLogHeader.size() + records * kTypicalRecordBytes + kMaxBlockBytes +
                            kCommLogTrailer.size());
    if (!continues) {
        size = static_cast<size_t>(Put(out, kCommLogHeader) - out);
        m_open = MarkOpenBlock(start, size, style);
    }

    StyledRowWriter styled(m_content, style);
    Block block;
    bool cutShort = false;
    for (int i = first; i < end; ++i) {
        const TrafficRecord& record = capture.m_traffic[i];
        if (record.direction != TrafficSent && record.direction != TrafficReceived) {
            cutShort = true;
            break;
        }
        const Row own = record.direction == TrafficSent ? kSentRow : kReceivedRow;
        const auto value = static_cast<uint8_t>(record.value & kByteMask);
        const uint64_t tick = TickOf(record);
        if (hexDisplay != 0) {
            block.AddHexCell(value, own, (tick - previousTick) & kDeltaMask);
        } else {
            block.AddTextCell(value, own);
        }
        previousTick = tick;
        if (block.Width() > kBlockWidthLimit) {
            size = block.AppendTo(Reserve(m_buffer, size, kMaxBlockBytes), size, styled);
            m_open = MarkOpenBlock(i + 1, size, styled.StyleInForce());
        }
    }
    size = block.AppendTo(Reserve(m_buffer, size, kMaxBlockBytes + kCommLogTrailer.size()), size,
                          styled);
    out = m_buffer.data();
    m_documentSize = static_cast<size_t>(Put(out + size, kCommLogTrailer) - out);
    styled.WriteEmptyRow();  // the trailer's " \par "
    styled.Finish();

    m_continuable = !cutShort;
    m_renderedHex = hexDisplay;
    m_renderedStart = start;
    m_renderedEnd = end;
    m_renderedRecords = std::max(end - start, 0);
    m_renderedGeneration = capture.m_generation;
    m_serial = ++s_renderings;

    if (pane != nullptr) {
        rendering.document = Document();
        rendering.content = &m_content;
        rendering.serial = m_serial;
        rendering.records = m_renderedRecords;
        pane->SetRendering(rendering);
        pane->SetSelectionStart(kCommLogCaretAtEnd);
        pane->SetProperty5(1);
    }
    return 1;
}

}  // namespace kestrel
