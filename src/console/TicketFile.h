// Ticket files and binary files as the console sends them: read whole, checked and cut into the
// transmissions that go out, before the first byte leaves. A file that cannot be sent whole is
// refused whole, with the reason for the operator.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrel {

// The text buffer of a ticket: a line, or in whole-file mode the whole file, and its NUL.
inline constexpr size_t kTicketBufferSize = 10000;
inline constexpr size_t kTicketLineMaxChars = kTicketBufferSize - 1;
inline constexpr size_t kTicketWholeMaxBytes = kTicketBufferSize - 1;
// Every line read counts, blank ones too.
inline constexpr int kTicketMaxLines = 2000;
// A line-mode file beyond this cannot be 2000 lines that each fit the buffer.
inline constexpr size_t kTicketLinesFileMaxBytes =
    static_cast<size_t>(kTicketMaxLines) * kTicketBufferSize;
// The binary sender reads blocks of 4096 bytes, at most 2000 of them.
inline constexpr size_t kBinaryBlockBytes = 4096;
inline constexpr int kBinaryMaxBlocks = 2000;
inline constexpr size_t kBinaryFileMaxBytes = kBinaryBlockBytes * kBinaryMaxBlocks;

// How a ticket goes out: line by line, each line one Ventrix packet, or the whole file at once.
enum class TicketLayout { Lines, Whole };

// Reads, checks and converts a ticket. On success `transmissions` holds the converted bytes of
// each transmission in order (lines that convert to nothing are left out). On failure it is
// empty and `error` says why; nothing of the ticket may be sent then.
bool PrepareTicket(const std::string& path, TicketLayout layout,
                   std::vector<std::string>* transmissions, std::string* error);

// Reads a file for the binary sender in blocks of kBinaryBlockBytes, unconverted.
bool PrepareBinaryBlocks(const std::string& path, std::vector<std::string>* blocks,
                         std::string* error);

// Reads a file for the binary sender in Ventrix mode: each line that does not begin with NUL,
// CR or LF is one packet of the line's own bytes, without its line end and unconverted.
bool PrepareBinaryLines(const std::string& path, std::vector<std::string>* packets,
                        std::string* error);

// The titles (names without ".dmo") of the demo tickets in `folder`: regular files only, at most
// `limit` of them, the first ones in the order of the demo list. `found` gets how many there are.
std::vector<std::string> ListDemoTitles(const std::string& folder, size_t limit, size_t* found);

}  // namespace kestrel
