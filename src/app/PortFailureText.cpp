#include "app/PortFailureText.h"

#include "app/CKestrelApp.h"

namespace kestrel {

std::string PortFailureText(const std::string& message, const IOComm& port) {
    const std::string& reason = port.m_lastError;
    if (reason.empty() || message.find(reason) != std::string::npos) {
        return message;
    }
    return message + kReasonLineBreak + reason;
}

std::string CKestrelApp::ReportPortFailure(const std::string& message) {
    const std::string text = PortFailureText(message, m_ioComm);
    WriteAppLog(text);
    return text;
}

}  // namespace kestrel
