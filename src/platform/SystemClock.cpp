#include <locale.h>
#include <time.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/Clock.h"

namespace kestrel {
namespace {

constexpr size_t kTimeTextSize = 256;

class RealClock : public Clock {
  public:
    uint32_t GetTickCount() override {
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart);
        return static_cast<uint32_t>(ms.count());  // wraps like the platform's tick count
    }

    void Sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    // Day and month names stay English whatever locale the window system sets up, so the
    // log reads the same everywhere.
    std::string FormatLocalTime(const char* format) override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[kTimeTextSize];
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        const size_t length = cLocale != locale_t{}
                                  ? strftime_l(text, sizeof text, format, &local, cLocale)
                                  : std::strftime(text, sizeof text, format, &local);
        return std::string(text, length);
    }
};

}  // namespace

Clock& SystemClock() {
    static RealClock clock;
    return clock;
}

}  // namespace kestrel
