// Helpers of the port tests: a system-call seam that passes through to the kernel unless a test
// scripts a call, and records what it was asked; a fake spooler; fake sysfs and /dev trees.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsKey.h"
#include "port/IOComm.h"
#include "port/SpoolerPorts.h"
#include "port/SystemCalls.h"

namespace kestrel::testing {

// Every call goes to the kernel unless its hook is set; a hook returns the result to give, or
// nothing to pass the call on.
class ScriptedSystemCalls : public SystemCalls {
  public:
    std::function<std::optional<int>(const char* path)> onOpen;
    std::function<std::optional<ssize_t>(int fd, const void* bytes, size_t size)> onWrite;
    std::function<std::optional<ssize_t>(int fd, void* buffer, size_t size)> onRead;
    std::function<std::optional<int>(pollfd* fds, const timespec* limit)> onPoll;
    std::function<std::optional<int>(int fd, unsigned long request, void* argument)> onIoctl;
    std::function<std::optional<ssize_t>(int fd, const void* bytes, size_t size)> onSend;

    // The fake /dev trees make their device nodes as FIFOs: through this seam they pass for the
    // character devices they stand for.
    bool fifosAreDevices = true;

    std::vector<std::string> opened;
    std::vector<size_t> writeSizes;
    std::vector<size_t> sendSizes;
    int reads = 0;
    std::vector<std::optional<timespec>> pollLimits;
    std::vector<unsigned long> ioctls;
    std::vector<int> closed;

    int Open(const char* path, int flags) override {
        opened.emplace_back(path);
        if (onOpen) {
            if (auto result = onOpen(path)) {
                return *result;
            }
        }
        return SystemCalls::Open(path, flags);
    }
    int Close(int fd) override {
        closed.push_back(fd);
        return SystemCalls::Close(fd);
    }
    int Fstat(int fd, struct stat* info) override {
        const int result = SystemCalls::Fstat(fd, info);
        if (result == 0 && fifosAreDevices && S_ISFIFO(info->st_mode)) {
            info->st_mode = (info->st_mode & ~S_IFMT) | S_IFCHR;
        }
        return result;
    }
    ssize_t Write(int fd, const void* bytes, size_t size) override {
        writeSizes.push_back(size);
        if (onWrite) {
            if (auto result = onWrite(fd, bytes, size)) {
                return *result;
            }
        }
        return SystemCalls::Write(fd, bytes, size);
    }
    ssize_t Read(int fd, void* buffer, size_t size) override {
        ++reads;
        if (onRead) {
            if (auto result = onRead(fd, buffer, size)) {
                return *result;
            }
        }
        return SystemCalls::Read(fd, buffer, size);
    }
    int Poll(pollfd* fds, nfds_t count, const timespec* timeout) override {
        pollLimits.push_back(timeout != nullptr ? std::optional<timespec>(*timeout) : std::nullopt);
        if (onPoll && count > 0) {
            if (auto result = onPoll(fds, timeout)) {
                return *result;
            }
        }
        return SystemCalls::Poll(fds, count, timeout);
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        ioctls.push_back(request);
        if (onIoctl) {
            if (auto result = onIoctl(fd, request, argument)) {
                return *result;
            }
        }
        return SystemCalls::Ioctl(fd, request, argument);
    }
    int fcntls = 0;
    int Fcntl(int fd, int command, int argument) override {
        ++fcntls;
        return SystemCalls::Fcntl(fd, command, argument);
    }
    ssize_t Send(int fd, const void* bytes, size_t size, int flags) override {
        sendSizes.push_back(size);
        if (onSend) {
            if (auto result = onSend(fd, bytes, size)) {
                return *result;
            }
        }
        return SystemCalls::Send(fd, bytes, size, flags);
    }

    size_t CountIoctls(unsigned long request) const {
        size_t count = 0;
        for (const unsigned long seen : ioctls) {
            count += seen == request ? 1 : 0;
        }
        return count;
    }
};

// Fails the call with `error`.
template <typename T>
std::optional<T> Fail(int error) {
    errno = error;
    return T{-1};
}

inline long Milliseconds(const timespec& limit) {
    return static_cast<long>(limit.tv_sec) * 1000 + limit.tv_nsec / 1000000;
}

class FakeSpooler : public SpoolerPorts {
  public:
    std::vector<SpoolerQueue> queues;
    int asked = 0;
    std::vector<SpoolerQueue> Queues() override {
        ++asked;
        return queues;
    }
};

// Builds fake sysfs and /dev trees under a folder.
class FakeDeviceTree {
  public:
    explicit FakeDeviceTree(const std::string& root)
        : m_sysfs(root + "/sys"), m_dev(root + "/dev") {
        std::filesystem::create_directories(m_sysfs + "/class/tty");
        std::filesystem::create_directories(m_dev);
    }

    const std::string& Sysfs() const { return m_sysfs; }
    const std::string& Dev() const { return m_dev; }

    void WriteFile(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << text;
    }

    // A device node stand-in: a FIFO, which opens read-write without blocking.
    std::string MakeNode(const std::string& relative) const {
        const std::string path = m_dev + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        mkfifo(path.c_str(), 0600);
        return path;
    }

    // /sys/class/tty/<tty>, with a device link to `devicePath` (under the sysfs root) when given.
    void AddTty(const std::string& tty, const std::string& devicePath = "",
                const std::string& type = "") const {
        const std::string folder = m_sysfs + "/class/tty/" + tty;
        std::filesystem::create_directories(folder);
        if (!devicePath.empty()) {
            const std::string target = m_sysfs + devicePath;
            std::filesystem::create_directories(target);
            std::filesystem::create_directory_symlink(target, folder + "/device");
        }
        if (!type.empty()) {
            WriteFile(folder + "/type", type + "\n");
        }
    }

    // A USB device at /sys/devices/usb1/<name> with one interface <name>:1.<n>, listed on the
    // bus; returns the interface's path under the sysfs root.
    std::string AddUsbInterface(const std::string& name, const std::string& vendor,
                                const std::string& product, const std::string& interface) const {
        const std::string device = "/devices/usb1/" + name;
        const std::string iface = device + "/" + name + ":1." + interface;
        WriteFile(m_sysfs + device + "/idVendor", vendor + "\n");
        WriteFile(m_sysfs + device + "/idProduct", product + "\n");
        WriteFile(m_sysfs + iface + "/bInterfaceNumber", interface + "\n");
        std::filesystem::create_directories(m_sysfs + "/bus/usb/devices");
        std::filesystem::create_directory_symlink(
            m_sysfs + iface, m_sysfs + "/bus/usb/devices/" + name + ":1." + interface);
        std::filesystem::create_directory_symlink(m_sysfs + device,
                                                  m_sysfs + "/bus/usb/devices/" + name);
        return iface;
    }

    void AddUsbPrinterClassNode(int number) const {
        std::filesystem::create_directories(m_sysfs + "/class/usbmisc/lp" + std::to_string(number));
        MakeNode("usb/lp" + std::to_string(number));
    }

    PortEnvironment Environment(SystemCalls* sys = nullptr, SpoolerPorts* spooler = nullptr) const {
        PortEnvironment environment;
        environment.sysfsRoot = m_sysfs;
        environment.devRoot = m_dev;
        environment.sys = sys;
        environment.spooler = spooler;
        return environment;
    }

  private:
    std::string m_sysfs;
    std::string m_dev;
};

// Writes the string value `name` = `text` (with its terminator) into the settings file.
inline bool MapPortName(const std::string& settingsPath, const std::string& name,
                        const std::string& text) {
    auto key = SettingsKey::Open(settingsPath, SettingsAccess::Create);
    return key && key->SetString(name, text.c_str(), text.size() + 1);
}

}  // namespace kestrel::testing
