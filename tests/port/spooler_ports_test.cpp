#include <cups/cups.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "port/LoopbackPrinter.h"
#include "port/SpoolerPorts.h"

namespace kestrel {
namespace {

using testing::LoopbackPrinter;

// One IPP attribute: value tag, name, value.
std::string Attribute(uint8_t tag, const std::string& name, const std::string& value) {
    std::string bytes(1, static_cast<char>(tag));
    bytes += static_cast<char>(name.size() >> 8);
    bytes += static_cast<char>(name.size() & 0xFF);
    bytes += name;
    bytes += static_cast<char>(value.size() >> 8);
    bytes += static_cast<char>(value.size() & 0xFF);
    return bytes + value;
}

// The scheduler's answer listing two queues, in IPP's binary form over HTTP.
std::string SchedulerAnswer() {
    constexpr uint8_t kOperationGroup = 0x01;
    constexpr uint8_t kPrinterGroup = 0x04;
    constexpr uint8_t kEnd = 0x03;
    constexpr uint8_t kCharset = 0x47;
    constexpr uint8_t kLanguage = 0x48;
    constexpr uint8_t kName = 0x42;
    constexpr uint8_t kUri = 0x45;
    std::string body("\x02\x00\x00\x00\x00\x00\x00\x01", 8);
    body += static_cast<char>(kOperationGroup);
    body += Attribute(kCharset, "attributes-charset", "utf-8");
    body += Attribute(kLanguage, "attributes-natural-language", "en");
    body += static_cast<char>(kPrinterGroup);
    body += Attribute(kName, "printer-name", "Vantor");
    body += Attribute(kUri, "device-uri", "socket://10.0.0.25:9100");
    body += static_cast<char>(kPrinterGroup);
    body += Attribute(kUri, "device-uri", "usb://Maker/Model");
    body += Attribute(kName, "printer-name", "Office");
    body += static_cast<char>(kEnd);
    return "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool Complete(const std::string& request) {
    const size_t end = request.find("\r\n\r\n");
    const size_t field = request.find("Content-Length: ");
    if (end == std::string::npos || field == std::string::npos) {
        return false;
    }
    const size_t length = std::stoul(request.substr(field + 16));
    return request.size() >= end + 4 + length;
}

TEST(SpoolerPorts, ReadsQueueNamesAndDeviceUrisFromTheScheduler) {
    LoopbackPrinter scheduler;
    // The client library keeps its server and connection; point both at this scheduler.
    cupsSetServer(scheduler.Address().c_str());
    std::string request;
    std::thread answer([&] {
        if (!scheduler.Accept()) {
            return;
        }
        // Headers, then as many bytes as their Content-Length says.
        for (int round = 0; round < 20 && !Complete(request); ++round) {
            request += scheduler.Receive(1);
        }
        scheduler.Send(SchedulerAnswer());
        scheduler.CloseConnection();
    });
    const std::vector<SpoolerQueue> queues = SystemSpooler().Queues();
    answer.join();
    cupsSetServer(nullptr);
    EXPECT_NE(request.find("POST / HTTP/1.1"), std::string::npos);
    EXPECT_NE(request.find("requested-attributes"), std::string::npos);
    ASSERT_EQ(queues.size(), 2u);
    EXPECT_EQ(queues[0].name, "Vantor");
    EXPECT_EQ(queues[0].deviceUri, "socket://10.0.0.25:9100");
    EXPECT_EQ(queues[1].name, "Office");
    EXPECT_EQ(queues[1].deviceUri, "usb://Maker/Model");
}

}  // namespace
}  // namespace kestrel
