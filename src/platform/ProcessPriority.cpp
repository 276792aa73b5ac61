#include "platform/ProcessPriority.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstring>

namespace kestrel {
namespace {

class RealProcessPriority : public ProcessPriority {
  public:
    bool Raise(std::string* error) override {
        errno = 0;
        const int current = getpriority(PRIO_PROCESS, 0);
        if (current == -1 && errno != 0) {
            *error = std::strerror(errno);
            return false;
        }
        // Try the highest first, then one step less at a time, down to the current value.
        for (int nice = kHighestNice; nice < current; ++nice) {
            if (setpriority(PRIO_PROCESS, 0, nice) == 0) {
                return true;
            }
            *error = std::strerror(errno);
        }
        return current <= kHighestNice;
    }
};

}  // namespace

ProcessPriority& SystemProcessPriority() {
    static RealProcessPriority priority;
    return priority;
}

}  // namespace kestrel
