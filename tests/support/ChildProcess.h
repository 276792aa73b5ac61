// A program run by a test: its arguments, extra or removed environment variables and working
// folder; standard output on a pipe read line by line, standard error into a file. The process
// is killed if the test leaves it running. Every wait is bounded.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kestrel::testing {

class ChildProcess {
  public:
    struct Options {
        std::vector<std::string> args;  // without the program
        // Variables set (a value) or removed (nullopt) for the child.
        std::map<std::string, std::optional<std::string>> environment;
        std::string workingFolder;  // empty: the test's current directory
        std::string errorFile;      // empty: standard error goes to /dev/null
    };

    ChildProcess(const std::string& program, const Options& options) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        m_output = fds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string errorFile = options.errorFile.empty() ? "/dev/null" : options.errorFile;
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (!options.workingFolder.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
        }
        std::vector<std::string> args = options.args;
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> environment = Environment(options.environment);
        std::vector<char*> envp;
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) !=
            0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
    }
    ~ChildProcess() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0) {
            close(m_output);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return m_pid > 0 && !m_exited; }

    // Sends the signal while the process runs.
    void Signal(int signalNumber) {
        if (Running()) {
            kill(m_pid, signalNumber);
        }
    }
    // The signal that ended the process, 0 when it exited or still runs.
    int EndingSignal() const { return m_endingSignal; }

    // The next line of standard output, or nullopt on time-out or end.
    std::optional<std::string> ReadLine(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            const size_t end = m_pending.find('\n');
            if (end != std::string::npos) {
                std::string line = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{m_output, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[512];
            const ssize_t n = read(m_output, chunk, sizeof chunk);
            if (n <= 0) {
                return std::nullopt;
            }
            m_pending.append(chunk, static_cast<size_t>(n));
        }
    }

    // The exit code, or -1 when the process did not end normally within the wait.
    int WaitExit(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        int status = 0;
        while (m_pid > 0 && !m_exited) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exited = true;
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                m_endingSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return m_exitCode;
    }

    void Stop() {
        if (Running()) {
            kill(m_pid, SIGTERM);
            if (WaitExit(std::chrono::milliseconds(2000)) == -1) {
                kill(m_pid, SIGKILL);
            }
        }
    }

  private:
    static std::vector<std::string> Environment(
        const std::map<std::string, std::optional<std::string>>& changes) {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const std::string name = variable.substr(0, variable.find('='));
            if (changes.count(name) == 0) {
                variables.push_back(variable);
            }
        }
        for (const auto& [name, value] : changes) {
            if (value) {
                variables.push_back(name + "=" + *value);
            }
        }
        return variables;
    }

    pid_t m_pid = -1;
    bool m_exited = false;
    int m_exitCode = -1;
    int m_endingSignal = 0;
    int m_output = -1;
    std::string m_pending;
};

}  // namespace kestrel::testing
