// Output and Input: the locked, retried transfers on top of the single attempts of RawIo.cpp.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "port/ConnectionLoss.h"
#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/PortBackend.h"
#include "port/PortLimits.h"

namespace kestrel {

namespace {

constexpr auto kLockWait = std::chrono::milliseconds(10000);
// USB printer-class devices take and give at most this much per transfer.
constexpr int kUsbPieceSize = 64;
constexpr int kMaxWriteFailures = 5;
constexpr uint32_t kWriteFailureWaitMs = 200;
constexpr uint32_t kDeviceReopenWaitMs = 2000;

// Hands out bytes kept from an earlier read: as many as are kept and still wanted.
int TakeKept(const uint8_t* kept, int& position, int count, uint8_t* out, int wanted) {
    const int take = std::min(count - position, wanted);
    std::memcpy(out, kept + position, static_cast<size_t>(take));
    position += take;
    return take;
}

}  // namespace

int IOComm::Output(const uint8_t* bytes, int count) {
    std::unique_lock lock(m_lock, std::defer_lock);
    if (!lock.try_lock_for(kLockWait)) {
        return 0;
    }
    m_bytesWritten = 0;
    if (!IsOpen() || m_connectionLost) {
        return 0;
    }
    if (m_inputSinceOutput != 0 && m_kind == KindParallel) {
        Close();
        Open();
    }
    m_inputSinceOutput = 0;
    if (!IsOpen() || !IsReady()) {
        return 0;
    }
    int result = 1;
    int failures = 0;
    int offset = 0;
    int writeError = 0;
    while (offset < count && failures < kMaxWriteFailures) {
        int piece = count - offset;
        if (m_kind == KindUsbPrinter) {
            piece = std::min(piece, kUsbPieceSize);
        }
        uint32_t written = 0;
        errno = 0;
        result = WriteRaw(bytes + offset, piece, &written);
        if (result != 0 && written > 0) {
            const int advanced = std::min(static_cast<int>(written), piece);
            m_bytesWritten += advanced;
            m_stall.Accepted(static_cast<uint32_t>(advanced));
            offset += advanced;
            failures = 0;
            continue;
        }
        // A write that "succeeds" with nothing written makes no progress: it counts as failed,
        // so the loop ends after five of them like after five errors.
        const int error = errno;
        writeError = error;
        result = 0;
        ++failures;
        // Closed after a failed reopen, a device that has gone, a dropped connection: waiting
        // cannot help. Nor can it when the printer has stopped taking bytes.
        if (!IsOpen() || IsConnectionGone(m_kind == KindTcp, error)) {
            MarkConnectionLost(kOutputFailedText, IsOpen() ? error : EBADF);
            break;
        }
        if (CheckForStall(Backend().QueuedOutput())) {
            break;
        }
        if (failures == kMaxWriteFailures && m_kind == KindDevice) {
            Close();
            m_clock.Sleep(kDeviceReopenWaitMs);
            Open();
        }
        m_clock.Sleep(kWriteFailureWaitMs);
    }
    if (result == 0 && !m_connectionLost) {  // a lost connection has recorded its own reason
        // The reason the console shows after its own message.
        RecordFailure(kOutputFailedText, writeError);
        m_lastError += writeError != 0 ? std::string(" (") + std::strerror(writeError) + ")"
                                       : std::string(" (the port took no byte)");
    }
    return result;
}

int IOComm::Input(uint8_t* buffer, int size) {
    std::unique_lock lock(m_lock, std::defer_lock);
    if (!lock.try_lock_for(kLockWait)) {
        return 0;
    }
    m_inputSinceOutput = 1;
    m_lastReadCount = 0;
    m_lastCount = 0;
    if (size <= 0 || !IsOpen() || m_connectionLost || !IsReady()) {
        return 0;
    }
    errno = 0;
    uint32_t count = 0;
    int result =
        m_kind == KindUsbPrinter ? ReadUsbWithCarry(buffer, size) : ReadWithReadAhead(buffer, size);
    int readError = errno;
    if (result == 0 && IsConnectionGone(m_kind == KindTcp, readError)) {
        MarkConnectionLost(kInputFailedText, readError);  // no reopen can bring it back
        return 0;
    }
    if (result == 0 && m_kind != KindUsbPrinter && m_kind != KindTcp) {
        ++m_readFailures;
        if (m_readFailures >= kFailuresBeforeReopen) {
            ReopenAfterBackOff(m_readRetryDelay);
            errno = 0;
            // A reopen that failed leaves the port closed: no read on the dead handle.
            result = IsOpen() ? ReadRaw(buffer, size, &count) : 0;
            readError = errno;
            if (result != 0) {
                m_readRetryDelay = kRetryDelayStartMs;
                m_readFailures = 0;
            }
        }
    }
    if (m_lastCount == 0) {
        RecordFailure(kInputFailedText, readError);
    }
    m_lastReadCount = static_cast<int>(m_lastCount);
    return m_lastReadCount;
}

// The status read tick asks for one byte at a time; one read call takes every byte waiting and
// the following calls are served from memory, so a burst costs one system call, not one a byte.
int IOComm::ReadWithReadAhead(uint8_t* buffer, int size) {
    int delivered = 0;
    int result = 1;
    while (delivered < size) {
        if (m_readAheadPos < m_readAheadCount) {
            delivered += TakeKept(m_readAhead, m_readAheadPos, m_readAheadCount, buffer + delivered,
                                  size - delivered);
            continue;
        }
        m_readAheadPos = 0;
        m_readAheadCount = 0;
        const int wanted = size - delivered;
        uint32_t got = 0;
        result = ReadAheadRaw(m_readAhead, wanted, kReadAheadSize, &got);
        m_readAheadCount = static_cast<int>(got);
        if (result == 0 || got == 0) {
            break;
        }
        if (static_cast<int>(got) < wanted) {
            // The time-outs ran out: hand out what came and wait no more.
            delivered +=
                TakeKept(m_readAhead, m_readAheadPos, m_readAheadCount, buffer + delivered, wanted);
            break;
        }
    }
    m_lastCount = static_cast<uint32_t>(delivered);
    return delivered > 0 ? 1 : result;
}

int IOComm::ReadUsbWithCarry(uint8_t* buffer, int size) {
    int delivered = 0;
    int result = 1;
    while (delivered < size) {
        if (m_carryPos < m_carryCount) {
            delivered +=
                TakeKept(m_carry, m_carryPos, m_carryCount, buffer + delivered, size - delivered);
            continue;
        }
        uint8_t block[kUsbCarrySize]{};
        uint32_t got = 0;
        result = ReadRaw(block, static_cast<int>(sizeof block), &got);
        if (result == 0 || got == 0) {
            break;  // nothing more now; an empty success must not spin
        }
        const int take = std::min(static_cast<int>(got), size - delivered);
        std::memcpy(buffer + delivered, block, static_cast<size_t>(take));
        delivered += take;
        if (static_cast<int>(got) > take) {
            std::memset(m_carry, 0, sizeof m_carry);
            m_carryPos = 0;
            m_carryCount = static_cast<int>(got) - take;
            std::memcpy(m_carry, block + take, static_cast<size_t>(m_carryCount));
        }
    }
    m_lastCount = static_cast<uint32_t>(delivered);
    return result;
}

}  // namespace kestrel
