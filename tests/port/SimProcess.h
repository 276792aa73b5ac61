// The vantor-sim program run by a test: started with its arguments, the addresses it prints
// read back, stopped when the object goes away. Its control channel takes fault commands.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace kestrel::testing {

class SimProcess {
  public:
    // Starts vantor-sim on free loopback ports with `extra` arguments.
    explicit SimProcess(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {VANTOR_SIM_BINARY, "--tcp", "127.0.0.1:0"};
        args.insert(args.end(), extra.begin(), extra.end());
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, VANTOR_SIM_BINARY, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_output = fds[0];
        // "tcp ADDRESS", "pty LINK -> DEVICE" when asked for, "control ADDRESS".
        while (m_where.count("control") == 0) {
            const std::optional<std::string> line = ReadLine();
            if (!line) {
                break;
            }
            const size_t blank = line->find(' ');
            if (blank != std::string::npos) {
                m_where[line->substr(0, blank)] = line->substr(blank + 1);
            }
        }
    }
    ~SimProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0) {
            close(m_output);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return m_pid > 0 && m_where.count("control") == 1; }
    std::string TcpAddress() const { return Where("tcp"); }
    std::string ControlAddress() const { return Where("control"); }

    // One control command; its one-line answer, or "" when there was none.
    std::string Control(const std::string& command) const {
        const int fd = ConnectTo(ControlAddress());
        if (fd < 0) {
            return "";
        }
        const std::string line = command + "\n";
        send(fd, line.data(), line.size(), MSG_NOSIGNAL);
        std::string answer;
        char c = 0;
        pollfd entry{fd, POLLIN, 0};
        while (poll(&entry, 1, kAnswerWaitMs) > 0 && recv(fd, &c, 1, 0) == 1 && c != '\n') {
            answer += c;
        }
        close(fd);
        return answer;
    }

  private:
    static constexpr int kAnswerWaitMs = 2000;

    std::string Where(const std::string& what) const {
        const auto found = m_where.find(what);
        return found != m_where.end() ? found->second : "";
    }

    static int ConnectTo(const std::string& address) {
        const size_t colon = address.rfind(':');
        if (colon == std::string::npos) {
            return -1;
        }
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<uint16_t>(std::stoi(address.substr(colon + 1))));
        inet_pton(AF_INET, address.substr(0, colon).c_str(), &peer.sin_addr);
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }

    std::optional<std::string> ReadLine() {
        std::string line;
        char c = 0;
        pollfd entry{m_output, POLLIN, 0};
        while (poll(&entry, 1, kAnswerWaitMs) > 0 && read(m_output, &c, 1) == 1) {
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return std::nullopt;
    }

    pid_t m_pid = -1;
    int m_output = -1;
    std::map<std::string, std::string> m_where;
};

}  // namespace kestrel::testing
