#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "app/CKestrelApp.h"
#include "port/LoopbackPrinter.h"
#include "port/PeerReader.h"
#include "port/PortTestSupport.h"
#include "status/Crc16.h"
#include "status/PrinterMode.h"
#include "support/FakeClock.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::LoopbackPrinter;
using testing::PseudoTerminal;
using testing::ScratchFolder;
using testing::ScriptedSystemCalls;

using Bytes = std::vector<uint8_t>;

// The application with COM5 on a pseudo-terminal whose far end stands for the printer. Every
// write records the parity the port had when it was made.
class TransmitTest : public ::testing::Test {
  protected:
    TransmitTest() : m_tree(m_folder.Path()) {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        EXPECT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{}, m_clock,
                                              m_tree.Environment(&m_sys, &m_spooler));
        m_sys.onWrite = [this](int, const void* bytes, size_t size) -> std::optional<ssize_t> {
            const auto* first = static_cast<const uint8_t*>(bytes);
            m_writes.push_back(
                {m_app->m_ioComm.m_commConfig.dcb.Parity, Bytes(first, first + size)});
            return std::nullopt;
        };
    }

    void OpenCom5() {
        m_app->m_portName = "COM5";
        ASSERT_GE(m_app->OpenSelectedPort(), 3) << m_app->m_ioComm.m_lastError;
        m_writes.clear();
    }

    Bytes Received(size_t expected) {
        const std::string text = testing::ReadFromPeer(m_pty.Master(), expected);
        return Bytes(text.begin(), text.end());
    }

    // The records of the capture from `first` on, as values of one direction.
    Bytes Recorded(int first, int direction) {
        Bytes values;
        const TrafficCapture& capture = m_app->m_capture;
        for (int i = first; i < capture.m_trafficCount; ++i) {
            EXPECT_EQ(capture.m_traffic[i].direction, direction);
            values.push_back(static_cast<uint8_t>(capture.m_traffic[i].value));
        }
        return values;
    }

    int Send(const Bytes& bytes, int ventrix) {
        return m_app->Transmit(bytes.data(), static_cast<int>(bytes.size()), ventrix);
    }

    struct Write {
        uint8_t parity;
        Bytes bytes;
    };

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    PseudoTerminal m_pty;
    ScriptedSystemCalls m_sys;
    FakeSpooler m_spooler;
    FakeClock m_clock;
    std::unique_ptr<CKestrelApp> m_app;
    std::vector<Write> m_writes;
};

Bytes VentrixPacket(Bytes body) {
    const uint16_t crc = Crc16Kermit(0, static_cast<int16_t>(body.size()), body.data());
    body.push_back(static_cast<uint8_t>(crc & 0xFF));
    body.push_back(static_cast<uint8_t>(crc >> 8));
    return body;
}

TEST_F(TransmitTest, VentrixNullPacketGoesOutUnframedStartByteMarked) {
    OpenCom5();
    const uint64_t slept = m_clock.m_slept;
    EXPECT_EQ(Send({0x02, 0x00}, 1), 2);
    ASSERT_EQ(m_writes.size(), 2u);
    EXPECT_EQ(m_writes[0].parity, kMarkParity);
    EXPECT_EQ(m_writes[0].bytes, (Bytes{0x02}));
    EXPECT_EQ(m_writes[1].parity, kSpaceParity);
    EXPECT_EQ(m_writes[1].bytes, (Bytes{0x00}));
    EXPECT_EQ(Received(2), (Bytes{0x02, 0x00}));
    EXPECT_EQ(Recorded(0, TrafficSent), (Bytes{0x02, 0x00}));
    // The output queue was empty: only the settling waits, 10 ms and 2 ms.
    EXPECT_EQ(m_clock.m_slept - slept, 12u);
    EXPECT_EQ(m_app->m_sequence.m_sequenceNumber, 0);  // a null packet takes no number
}

TEST_F(TransmitTest, VentrixPacketsCarryLengthSequenceAndCrc) {
    OpenCom5();
    m_app->m_sequence.Reset();
    EXPECT_EQ(Send({0x02, 0x05, 0x41}, 1), 6);
    const Bytes first = VentrixPacket({0x02, 0x05, 0x06, 0x41});
    EXPECT_EQ(Received(6), first);
    ASSERT_EQ(m_writes.size(), 2u);
    EXPECT_EQ(m_writes[1].bytes, Bytes(first.begin() + 1, first.end()));
    EXPECT_EQ(m_writes[1].parity, kSpaceParity);
    EXPECT_EQ(Recorded(0, TrafficSent), first);

    // The next packets carry 1, 2, 3, then 1 again in bits 6 and 7 of the type byte.
    for (const int sequence : {1, 2, 3, 1}) {
        EXPECT_EQ(Send({0x02, 0x05, 0x41, 0x42}, 1), 7);
        EXPECT_EQ(Received(7), VentrixPacket({0x02, static_cast<uint8_t>(0x05 | sequence << 6),
                                              0x07, 0x41, 0x42}));
    }
    // With numbering disabled the counter stays where it is.
    m_app->m_sequence.m_sequenceBitsDisabled = 1;
    EXPECT_EQ(Send({0x02, 0x05}, 1), 5);
    EXPECT_EQ(Received(5), VentrixPacket({0x02, 0x05, 0x05}));
    EXPECT_EQ(m_app->m_sequence.m_sequenceNumber, 2);
}

TEST_F(TransmitTest, VentrixStartByteWaitsForTheOutputQueueToDrain) {
    OpenCom5();
    int queued = 3;  // three more rounds before the queue is empty
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCOUTQ) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = queued > 0 ? queued-- : 0;
        return 0;
    };
    uint64_t slept = m_clock.m_slept;
    EXPECT_EQ(Send({0x02, 0x00}, 1), 2);
    EXPECT_EQ(m_clock.m_slept - slept, 3u * 10 + 10 + 2);

    // The start byte itself must have left before the parity changes: 1 ms rounds.
    std::vector<int> answers{0, 1, 1, 0};
    size_t asked = 0;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCOUTQ) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = asked < answers.size() ? answers[asked++] : 0;
        return 0;
    };
    slept = m_clock.m_slept;
    EXPECT_EQ(Send({0x02, 0x00}, 1), 2);
    EXPECT_EQ(asked, 4u);
    EXPECT_EQ(m_clock.m_slept - slept, 10u + 1 + 1 + 2);

    // A queue that never drains is given 100 rounds each time.
    m_sys.onIoctl = [](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCOUTQ) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = 9;
        return 0;
    };
    slept = m_clock.m_slept;
    EXPECT_EQ(Send({0x02, 0x00}, 1), 2);
    EXPECT_EQ(m_clock.m_slept - slept, 100u * 10 + 10 + 100u * 1 + 2);
}

TEST_F(TransmitTest, SerialPacketsAreNumberedOneToSeven) {
    OpenCom5();
    m_app->m_printerMode = static_cast<int>(PrinterMode::SerialPacket);
    for (const int sequence : {0, 1, 2, 3, 4, 5, 6, 7, 1}) {
        EXPECT_EQ(Send({0x41}, 0), 8);
        Bytes expected{0xFF, 0x00, 0x08, static_cast<uint8_t>(sequence), 0x00, 0x41};
        const uint16_t crc = Crc16Arc(0, 6, expected.data());
        expected.push_back(static_cast<uint8_t>(crc >> 8));
        expected.push_back(static_cast<uint8_t>(crc & 0xFF));
        EXPECT_EQ(Received(8), expected);
    }
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 9 * 8);
    m_app->m_sequence.m_sequenceBitsDisabled = 1;
    EXPECT_EQ(Send({0x42}, 0), 8);
    const Bytes unnumbered = Received(8);
    ASSERT_EQ(unnumbered.size(), 8u);
    EXPECT_EQ(unnumbered[3], 0);
    EXPECT_EQ(unnumbered[2], 8);
    // The Ventrix flag takes precedence over the mode.
    EXPECT_EQ(Send({0x02, 0x00}, 1), 2);
    EXPECT_EQ(Received(2), (Bytes{0x02, 0x00}));
}

TEST_F(TransmitTest, RawBytesGoUnchanged) {
    OpenCom5();
    const Bytes bytes{0x1B, '@', 0x00, 0x0D, 0x0A};
    EXPECT_EQ(Send(bytes, 0), 5);
    EXPECT_EQ(Received(5), bytes);
    EXPECT_EQ(Recorded(0, TrafficSent), bytes);
    EXPECT_EQ(m_app->m_capture.m_traffic[0].tick, m_clock.m_now);
    // The transmit time-outs are set first.
    EXPECT_EQ(m_app->m_ioComm.m_timeouts.WriteTotalTimeoutConstant, 100u);
    EXPECT_EQ(m_app->m_ioComm.m_timeouts.ReadIntervalTimeout, 10u);
}

TEST_F(TransmitTest, ClosedPortSendsAndRecordsNothingInEveryFraming) {
    EXPECT_EQ(Send({0x1B, '@'}, 0), 0);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
    // The start byte never went out: not reported as sent, not recorded.
    EXPECT_EQ(Send({0x02, 0x05, 0x41}, 1), 0);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
    EXPECT_TRUE(m_writes.empty());
}

TEST_F(TransmitTest, ReceiveRecordsWhatArrivesAndNothingWhenClosed) {
    OpenCom5();
    ASSERT_EQ(write(m_pty.Master(), "\x02\x12\x05", 3), 3);
    m_app->m_ioComm.SetTimeouts(500, 0);
    uint8_t in[8]{};
    m_clock.m_now = 4321;
    EXPECT_EQ(m_app->Receive(in, 3), 3);
    EXPECT_EQ(Recorded(0, TrafficReceived), (Bytes{0x02, 0x12, 0x05}));
    EXPECT_EQ(m_app->m_capture.m_traffic[2].tick, 4321u);

    m_app->m_ioComm.SetTimeouts(1, 0);
    EXPECT_EQ(m_app->Receive(in, 1), 0);  // nothing waiting
    m_app->m_ioComm.Close();
    ASSERT_EQ(write(m_pty.Master(), "x", 1), 1);
    EXPECT_EQ(m_app->Receive(in, 1), 0);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 3);
}

TEST_F(TransmitTest, CaptureEmptiesWhenItReaches14998) {
    OpenCom5();
    const Bytes block(1000, 'z');
    for (int i = 0; i < 14; ++i) {
        ASSERT_EQ(Send(block, 0), 1000);
        ASSERT_EQ(Received(1000).size(), 1000u);
    }
    ASSERT_EQ(Send(Bytes(997, 'y'), 0), 997);
    Received(997);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 14997);
    m_app->m_capture.m_trafficFirstShown = 500;
    ASSERT_EQ(Send({'!'}, 0), 1);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
    EXPECT_EQ(m_app->m_capture.m_trafficFirstShown, 0);
    EXPECT_EQ(m_app->m_capture.m_traffic[14996].value, 0);
    ASSERT_EQ(Send({'+'}, 0), 1);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 1);
    EXPECT_EQ(m_app->m_capture.m_traffic[0].value, '+');
}

// The same application on a loopback TCP/IP printer.
class TcpTransmitTest : public TransmitTest {
  protected:
    void OpenTcp() {
        m_app->m_portName = m_printer.Address();
        ASSERT_EQ(m_app->OpenSelectedPort(), 1);
        ASSERT_TRUE(m_printer.Accept());
    }

    LoopbackPrinter m_printer;
};

TEST_F(TcpTransmitTest, LongerThanTheWorkBufferIsSentWhole) {
    OpenTcp();
    Bytes ticket(10000);
    for (size_t i = 0; i < ticket.size(); ++i) {
        ticket[i] = static_cast<uint8_t>(i * 7);
    }
    std::string received;
    std::thread reader([&] { received = m_printer.Receive(ticket.size()); });
    const int sent = Send(ticket, 0);
    reader.join();
    EXPECT_EQ(sent, 10000);
    EXPECT_EQ(Bytes(received.begin(), received.end()), ticket);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 10000);

    // A serial packet of 6000 data bytes is framed whole: length 6007, CRC over all of it.
    m_app->m_printerMode = static_cast<int>(PrinterMode::SerialPacket);
    const Bytes data(ticket.begin(), ticket.begin() + 6000);
    std::thread packetReader([&] { received = m_printer.Receive(6007); });
    EXPECT_EQ(Send(data, 0), 6007);
    packetReader.join();
    ASSERT_EQ(received.size(), 6007u);
    const Bytes packet(received.begin(), received.end());
    EXPECT_EQ(packet[1], 6007 >> 8);
    EXPECT_EQ(packet[2], 6007 & 0xFF);
    EXPECT_EQ(Bytes(packet.begin() + 5, packet.end() - 2), data);
    uint16_t crc = 0;
    for (size_t offset = 0; offset < 6005; offset += 1000) {
        crc = Crc16Arc(crc, static_cast<int16_t>(std::min<size_t>(1000, 6005 - offset)),
                       packet.data() + offset);
    }
    EXPECT_EQ(packet[6005], crc >> 8);
    EXPECT_EQ(packet[6006], crc & 0xFF);

    // A serial packet whose length cannot be written into it is not sent at all.
    const int before = m_app->m_capture.m_trafficCount;
    EXPECT_EQ(Send(Bytes(70000, 1), 0), 0);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, before);
}

TEST_F(TransmitTest, NothingToSendSendsNothingInEveryFraming) {
    OpenCom5();
    for (const int printerMode : {0, static_cast<int>(PrinterMode::SerialPacket)}) {
        m_app->m_printerMode = printerMode;
        for (const int ventrix : {0, 1}) {
            EXPECT_EQ(m_app->Transmit(nullptr, 0, ventrix), 0) << printerMode << ventrix;
            const uint8_t unused = 0x02;
            EXPECT_EQ(m_app->Transmit(&unused, 0, ventrix), 0) << printerMode << ventrix;
        }
    }
    EXPECT_TRUE(m_writes.empty());
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
}

TEST_F(TransmitTest, VentrixCommandLongerThanItsLengthByteIsNotSent) {
    OpenCom5();
    Bytes command(252, 0x41);
    command[0] = 0x02;
    command[1] = 0x05;
    EXPECT_EQ(Send(command, 1), 255);  // the longest that fits: length byte 255
    EXPECT_EQ(Received(255).size(), 255u);
    const int recorded = m_app->m_capture.m_trafficCount;
    m_writes.clear();
    std::filesystem::remove(m_folder.File("Kestrel.log"));
    for (const size_t length : {253u, 254u, 300u, 4000u}) {
        command.resize(length, 0x41);
        EXPECT_EQ(Send(command, 1), 0) << length;
    }
    EXPECT_TRUE(m_writes.empty());
    EXPECT_EQ(m_app->m_capture.m_trafficCount, recorded);
    std::ifstream log(m_folder.File("Kestrel.log"));
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Ventrix command of 253 bytes"), std::string::npos) << text;
    // A null packet has no length byte to overflow.
    Bytes null(300, 0x00);
    null[0] = 0x02;
    EXPECT_EQ(Send(null, 1), 300);
}

// A clock that really sleeps and counts what it was asked to sleep, for exchanges with the
// simulator, whose replies take real time.
class CountingClock : public Clock {
  public:
    uint32_t GetTickCount() override { return SystemClock().GetTickCount(); }
    void Sleep(uint32_t milliseconds) override {
        m_slept += milliseconds;
        SystemClock().Sleep(milliseconds);
    }
    std::string FormatLocalTime(const char* format) override {
        return SystemClock().FormatLocalTime(format);
    }
    uint64_t m_slept = 0;
};

// The application connected to vantor-sim over loopback TCP.
class SimTransmitTest : public ::testing::Test {
  protected:
    SimTransmitTest() {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{}, m_clock);
    }

    void Connect() {
        ASSERT_TRUE(m_sim.Started());
        m_app->m_portName = m_sim.TcpAddress();
        ASSERT_EQ(m_app->OpenSelectedPort(), 1) << m_app->m_ioComm.m_lastError;
    }

    int Send(const Bytes& bytes, int ventrix) {
        return m_app->Transmit(bytes.data(), static_cast<int>(bytes.size()), ventrix);
    }

    // Reads until `count` bytes came or two seconds passed.
    int ReceiveAtLeast(int count) {
        uint8_t buffer[256];
        int got = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got < count && std::chrono::steady_clock::now() < deadline) {
            m_app->m_ioComm.SetTimeouts(100, 0);
            got += m_app->Receive(buffer, static_cast<int>(sizeof buffer));
        }
        return got;
    }

    ScratchFolder m_folder;
    testing::SimProcess m_sim{VANTOR_SIM_BINARY};
    CountingClock m_clock;
    std::unique_ptr<CKestrelApp> m_app;
};

TEST_F(SimTransmitTest, VentrixOnTcpWaitsOnlyTheFixedWaitsPerPacket) {
    Connect();
    // Status requests the simulator answers at once, and ticket data it only takes: neither the
    // printer's acknowledgement of the start byte nor its reply may lengthen the draining waits.
    for (int i = 0; i < 10; ++i) {
        const uint64_t before = m_clock.m_slept;
        ASSERT_EQ(Send({0x02, 0x12}, 1), 5);
        EXPECT_EQ(m_clock.m_slept - before, 12u) << "status request " << i;
        EXPECT_GE(ReceiveAtLeast(5), 5) << "status request " << i;
        Bytes ticket(40, 0x41);
        ticket[0] = 0x02;
        ticket[1] = 0x01;
        const uint64_t beforeTicket = m_clock.m_slept;
        ASSERT_EQ(Send(ticket, 1), 43);
        EXPECT_EQ(m_clock.m_slept - beforeTicket, 12u) << "ticket data " << i;
    }
}

TEST_F(SimTransmitTest, PeerDroppingMidTicketGivesZeroAndRecordsOnlyWhatWentOut) {
    for (const int ventrix : {1, 0}) {
        SCOPED_TRACE(ventrix);
        Connect();
        ASSERT_EQ(m_sim.Control("drop-after 100").rfind("ok", 0), 0u);
        Bytes chunk(40, 0x41);
        chunk[0] = 0x02;
        chunk[1] = 0x01;
        int accounted = 0;
        int result = 1;
        int sends = 0;
        const int recordedBefore = m_app->m_capture.m_trafficCount;
        for (; sends < 200 && result != 0; ++sends) {
            result = Send(chunk, ventrix);
            accounted += result;
            if (result != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        EXPECT_EQ(result, 0) << "still sending after " << sends << " packets";
        EXPECT_LT(sends, 200);
        // Once the connection is gone every send says so at once, and none is recorded.
        const uint64_t before = m_clock.m_slept;
        EXPECT_EQ(Send(chunk, ventrix), 0);
        EXPECT_LT(m_clock.m_slept - before, 200u);
        EXPECT_EQ(m_app->m_capture.m_trafficCount - recordedBefore, accounted);
        m_app->m_ioComm.Close();
    }
}

}  // namespace
}  // namespace kestrel
