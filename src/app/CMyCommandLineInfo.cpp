#include "app/CMyCommandLineInfo.h"

#include <string_view>

#include "app/CKestrelApp.h"
#include "app/SerialSetup.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// "portsetup" and "handshake" skip one separator character after their nine letters.
constexpr size_t kOptionValueStart = 10;

// Compares the first `count` characters without case, as strnicmp does: an argument shorter
// than `count` matches only where the option is just as short.
bool Matches(std::string_view param, std::string_view option, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const char a = i < param.size() ? LowerAscii(param[i]) : '\0';
        const char b = i < option.size() ? LowerAscii(option[i]) : '\0';
        if (a != b) {
            return false;
        }
        if (a == '\0') {
            return true;
        }
    }
    return true;
}

std::string From(const std::string& param, size_t start) {
    return param.size() > start ? param.substr(start) : std::string();
}

}  // namespace

void CMyCommandLineInfo::ParseParam(const std::string& param, bool /*isFlag*/, bool /*isLast*/) {
    if (Matches(param, "ventrix", 5)) {
        m_app.m_ventrixOption = 1;
    } else if (Matches(param, "fact", 4)) {
        m_app.m_ventrixOption = 1;
        m_app.m_factOption = 1;
    } else if (Matches(param, "s", 1)) {
        m_app.m_ventrixOption = 1;
        m_app.m_silentOption = 1;
    } else if (Matches(param, "file:", 5)) {
        m_app.m_cmdLineFile = From(param, 5);
    } else if (Matches(param, "port:", 5)) {
        m_app.m_portName = From(param, 5);
    } else if (Matches(param, "portsetup", 9)) {
        m_app.m_portSetupOption = From(param, kOptionValueStart);
        PortSetup(m_app, m_app.m_portSetupOption);
    } else if (Matches(param, "handshake", 9)) {
        m_app.m_handshakeOption = From(param, kOptionValueStart);
        ApplyHandshakeOption(m_app, m_app.m_handshakeOption);
    } else if (Matches(param, "exit", 1)) {
        m_app.m_exitOption = 1;
        m_app.m_ventrixOption = 1;
    }
}

void CMyCommandLineInfo::ParseCommandLine(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isFlag = !arg.empty() && (arg.front() == '-' || arg.front() == '/');
        ParseParam(isFlag ? arg.substr(1) : arg, isFlag, i + 1 == args.size());
    }
}

}  // namespace kestrel
