// The command-line parser of the application: each argument, without one leading "-" or "/",
// is compared without case against a fixed table of prefixes; the first match decides, and an
// argument that matches none is ignored.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

class CKestrelApp;

class CMyCommandLineInfo {
  public:
    explicit CMyCommandLineInfo(CKestrelApp& app) : m_app(app) {}

    // One argument, its switch character already removed (`isFlag` says whether it had one).
    void ParseParam(const std::string& param, bool isFlag, bool isLast);

    // Splits off the switch character of each argument and parses them in order.
    void ParseCommandLine(const std::vector<std::string>& args);

  private:
    CKestrelApp& m_app;
};

}  // namespace kestrel
