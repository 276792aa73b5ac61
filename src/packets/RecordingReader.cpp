#include "packets/RecordingReader.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "packets/RecordingFormat.h"

namespace kestrel {
namespace {

constexpr size_t kReadChunk = size_t{1} << 20;

class LineReader {
  public:
    explicit LineReader(int fd) : m_fd(fd) {}
    // The next whole line (without its line feed); false at the end. A line longer than
    // kRecordingLineMost is returned as `tooLong` with nothing of it kept.
    bool Next(std::string_view& line, bool& tooLong) {
        tooLong = false;
        for (;;) {
            const size_t feed = m_data.find('\n', m_scan);
            if (feed != std::string::npos) {
                line = std::string_view(m_data).substr(m_start, feed - m_start);
                m_start = feed + 1;
                m_scan = m_start;
                tooLong = m_skipping;
                m_skipping = false;
                return true;
            }
            if (m_data.size() - m_start > kRecordingLineMost) {
                m_skipping = true;
                m_start = m_data.size();
            }
            m_scan = m_data.size();
            if (!Fill()) {
                m_tail = m_data.size() > m_start || m_skipping;
                return false;
            }
        }
    }
    bool CutShortTail() const { return m_tail; }

  private:
    bool Fill() {
        if (m_start > 0) {
            m_data.erase(0, m_start);
            m_scan -= m_start;
            m_start = 0;
        }
        const size_t old = m_data.size();
        m_data.resize(old + kReadChunk);
        ssize_t got = 0;
        do {
            got = read(m_fd, m_data.data() + old, kReadChunk);
        } while (got < 0 && errno == EINTR);
        m_data.resize(old + static_cast<size_t>(got > 0 ? got : 0));
        return got > 0;
    }

    int m_fd;
    std::string m_data;
    size_t m_start = 0;
    size_t m_scan = 0;
    bool m_skipping = false;
    bool m_tail = false;
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<std::string> RecordingContents::Notices() const {
    std::vector<std::string> notices;
    if (stillBeingWritten) {
        notices.push_back("The recording is still being written; it is shown as far as it goes.");
    }
    if (damagedLines > 0) {
        notices.push_back(std::to_string(damagedLines) +
                          (damagedLines == 1 ? " damaged line was" : " damaged lines were") +
                          " skipped.");
    }
    if (lastLineCutShort && !stillBeingWritten) {
        notices.push_back("The last line of the recording is cut short; it was left out.");
    }
    if (stoppedAtLimit) {
        notices.push_back("The recording is too large to show whole; its beginning is shown.");
    }
    return notices;
}

RecordingContents ReadRecording(const std::string& path, PacketStore& store, size_t rowLimit) {
    RecordingContents contents;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        contents.error = "It cannot be opened: " + std::string(std::strerror(errno)) + ".";
        return contents;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        contents.error = "It is not a regular file.";
        return contents;
    }
    contents.stillBeingWritten = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;

    LineReader reader(fd);
    std::string_view line;
    bool tooLong = false;
    bool sawMagic = false;
    size_t bytes = 0;
    ParsedFrame parsed;
    while (reader.Next(line, tooLong)) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!sawMagic) {
            if (tooLong || line != kRecordingMagic) {
                break;
            }
            sawMagic = true;
            continue;
        }
        if (tooLong) {
            ++contents.damagedLines;
            continue;
        }
        if (StartsWith(line, kRecordingStartedPrefix) && contents.started.empty()) {
            contents.started = line.substr(kRecordingStartedPrefix.size());
        } else if (StartsWith(line, kRecordingPortPrefix) && contents.port.empty()) {
            contents.port = line.substr(kRecordingPortPrefix.size());
        }
        switch (ParseRecordingLine(line, parsed)) {
            case RecordingLine::Comment:
                continue;
            case RecordingLine::Damaged:
                ++contents.damagedLines;
                continue;
            case RecordingLine::Frame:
                break;
        }
        if (store.RowCount() >= rowLimit || bytes + parsed.bytes.size() > kReplayByteLimit) {
            contents.stoppedAtLimit = true;
            break;
        }
        bytes += parsed.bytes.size();
        store.OnFrame(parsed.frame);
    }
    if (!contents.stoppedAtLimit && sawMagic) {
        contents.lastLineCutShort = reader.CutShortTail();
    }
    close(fd);
    if (!sawMagic) {
        contents.error = "It is not a Kestrel session recording.";
        return contents;
    }
    contents.read = true;
    return contents;
}

}  // namespace kestrel
