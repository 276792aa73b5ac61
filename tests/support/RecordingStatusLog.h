// An application log for status decoder tests: keeps each entry, and gives a fixed log pane text.
#pragma once

#include <string>
#include <vector>

#include "status/StatusDecoder.h"

namespace kestrel::testing {

class RecordingStatusLog : public StatusLog {
  public:
    void WriteAppLog(const std::string& text) override { m_entries.push_back(text); }
    std::string CommLogText() override { return m_paneText; }

    std::vector<std::string> m_entries;
    std::string m_paneText = "02 12 1F ...pane text";
};

}  // namespace kestrel::testing
