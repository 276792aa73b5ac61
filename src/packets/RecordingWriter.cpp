#include "packets/RecordingWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "packets/RecordingFolder.h"
#include "packets/RecordingFormat.h"
#include "platform/AtomicFile.h"

namespace kestrel {
namespace {

constexpr const char* kFileTimeFormat = "%Y%m%d-%H%M%S";
constexpr const char* kStartedTimeFormat = "%Y-%m-%d %H:%M:%S %z";
// Names tried when a session of the same second and port already has the first.
constexpr int kNameAttempts = 100;
// Buffered past this, a frame is written at once rather than at the next flush.
constexpr size_t kBufferedMost = 1 << 20;

std::string WithSuffix(const std::string& name, int attempt) {
    if (attempt == 0) {
        return name;
    }
    const size_t dot = name.rfind('.');
    return name.substr(0, dot) + "-" + std::to_string(attempt + 1) + name.substr(dot);
}

}  // namespace

RecordingWriter::RecordingWriter(RecordingSettings settings, std::function<std::string()> portName,
                                 std::function<std::string(const char*)> localTime)
    : m_settings(std::move(settings)),
      m_portName(std::move(portName)),
      m_localTime(std::move(localTime)) {
    if (m_settings.folder.empty()) {
        m_settings.folder = DefaultRecordingFolder();
    }
    if (m_settings.limitBytes == 0) {
        m_settings.limitBytes = kDefaultRecordingLimitMb * kBytesPerMb;
    }
    m_stopped = !m_settings.enabled;
    m_noticeTaken = m_stopped;  // turned off is no failure to report
}

RecordingWriter::~RecordingWriter() {
    Flush();
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool RecordingWriter::Create() {
    const std::string& folder = m_settings.folder;
    if (folder.empty()) {
        Stop("there is no home folder to keep recordings in");
        return false;
    }
    if (!MakeFolders(folder)) {
        Stop("the folder " + folder + " cannot be made: " + std::strerror(errno));
        return false;
    }
    m_port = m_portName();
    const std::string name = RecordingFileName(m_localTime(kFileTimeFormat), m_port);
    int fd = -1;
    std::string path;
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        path = folder + "/" + WithSuffix(name, attempt);
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        Stop("the file " + path + " cannot be made: " + std::strerror(errno));
        return false;
    }
    // Held while this session writes: playback can tell, and trimming leaves the file alone.
    flock(fd, LOCK_EX | LOCK_NB);
    m_fd = fd;
    m_path = path;
    m_othersBytes = TrimRecordings(folder, m_path, m_settings.limitBytes);
    m_buffer.insert(0, RecordingHeader(m_localTime(kStartedTimeFormat), m_port));
    return true;
}

void RecordingWriter::OnFrame(const FrameView& frame) {
    if (m_stopped) {
        return;
    }
    if (m_fd < 0 && !Create()) {
        return;
    }
    const std::string port = m_portName();
    if (port != m_port) {
        m_port = port;
        m_buffer += RecordingPortLine(port);
    }
    AppendRecordingLine(frame, m_buffer);
    if (m_buffer.size() > kBufferedMost) {
        Flush();
    }
}

bool RecordingWriter::Flush() {
    if (m_stopped || m_fd < 0 || m_buffer.empty()) {
        return !m_stopped;
    }
    size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t wrote = write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            Stop("writing " + m_path + " failed: " + std::strerror(wrote < 0 ? errno : ENOSPC));
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    m_written += m_buffer.size();
    m_buffer.clear();
    if (m_othersBytes + m_written > m_settings.limitBytes) {
        m_othersBytes = TrimRecordings(m_settings.folder, m_path, m_settings.limitBytes);
        m_othersBytes = m_othersBytes > m_written ? m_othersBytes - m_written : 0;
        if (m_written > m_settings.limitBytes) {
            Stop(m_path + " reached the recordings' size limit of " +
                 std::to_string(m_settings.limitBytes / kBytesPerMb) + " MB");
            return false;
        }
    }
    return true;
}

void RecordingWriter::Stop(const std::string& reason) {
    m_stopped = true;
    m_stopReason = reason;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

std::string RecordingWriter::TakeStopNotice() {
    if (!m_stopped || m_noticeTaken) {
        return std::string();
    }
    m_noticeTaken = true;
    return m_stopReason;
}

}  // namespace kestrel
