// A clock for tests: time moves only when the test or a Sleep moves it.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace kestrel::testing {

class FakeClock : public Clock {
  public:
    uint32_t GetTickCount() override { return m_now; }
    void Sleep(uint32_t milliseconds) override {
        m_slept += milliseconds;
        m_now += milliseconds;
    }
    std::string FormatLocalTime(const char*) override { return m_localTime; }

    void Advance(uint32_t milliseconds) { m_now += milliseconds; }

    uint32_t m_now = 1000;
    uint64_t m_slept = 0;
    std::string m_localTime = "Tuesday, December 08, 16:30:00";
};

}  // namespace kestrel::testing
