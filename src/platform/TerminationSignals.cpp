#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace kestrel {
namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};

int s_readEnd = -1;
int s_writeEnd = -1;
volatile sig_atomic_t s_arrived = 0;

void OnTerminationSignal(int signalNumber) {
    if (s_arrived != 0) {
        // The close already began (or is about to): this one ends the process now.
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
        return;
    }
    s_arrived = 1;
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal for the loop; nothing is lost by dropping this byte.
    [[maybe_unused]] const ssize_t written = write(s_writeEnd, &number, 1);
    errno = savedErrno;
}

}  // namespace

bool InstallTerminationSignals() {
    if (s_readEnd >= 0) {
        return true;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    s_readEnd = fds[0];
    s_writeEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kHandledSignals) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    // Calls in progress go on after the handler: the port's waits must not fail because of it.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kHandledSignals) {
        struct sigaction previous {};
        if (sigaction(signalNumber, nullptr, &previous) != 0) {
            return false;
        }
        // A signal the starter chose to ignore (nohup) stays ignored.
        if (previous.sa_handler == SIG_IGN) {
            continue;
        }
        if (sigaction(signalNumber, &action, nullptr) != 0) {
            return false;
        }
    }
    return true;
}

int TerminationSignalDescriptor() {
    return s_readEnd;
}

int TakeTerminationSignal() {
    int last = 0;
    unsigned char number = 0;
    while (s_readEnd >= 0 && read(s_readEnd, &number, 1) == 1) {
        last = number;
    }
    return last;
}

bool TerminationSignalArrived() {
    return s_arrived != 0;
}

const char* TerminationSignalName(int signalNumber) {
    switch (signalNumber) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

}  // namespace kestrel
