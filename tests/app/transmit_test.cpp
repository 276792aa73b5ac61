#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

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
        testing::ResetReopenCounters();
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
    EXPECT_EQ(Send({}, 0), 7);
    const Bytes empty = Received(7);
    ASSERT_EQ(empty.size(), 7u);
    EXPECT_EQ(empty[3], 0);
    EXPECT_EQ(empty[2], 7);
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

TEST_F(TransmitTest, ClosedPortSendsNothingAndRecordsOnlyTheVentrixStartByte) {
    EXPECT_EQ(Send({0x1B, '@'}, 0), 0);
    EXPECT_EQ(m_app->m_capture.m_trafficCount, 0);
    EXPECT_EQ(Send({0x02, 0x05, 0x41}, 1), 1);
    EXPECT_EQ(Recorded(0, TrafficSent), (Bytes{0x02}));
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

TEST_F(TcpTransmitTest, VentrixOnTcpDoesNotWaitASecondPerPacket) {
    OpenTcp();
    const uint64_t slept = m_clock.m_slept;
    EXPECT_EQ(Send({0x02, 0x05, 0x41}, 1), 6);
    // Not the full second of the draining wait: the socket's unsent count reaches 0. (The start
    // byte may still await its acknowledgement for a moment, on a clock that does not move.)
    EXPECT_GE(m_clock.m_slept - slept, 12u);
    EXPECT_LT(m_clock.m_slept - slept, 12u + 100u);
    const std::string received = m_printer.Receive(6);
    EXPECT_EQ(Bytes(received.begin(), received.end()), VentrixPacket({0x02, 0x05, 0x06, 0x41}));
}

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

}  // namespace
}  // namespace kestrel
