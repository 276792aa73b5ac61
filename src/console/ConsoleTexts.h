// The console's own texts, byte-exact: captions, messages and image names.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kAboutMenuText = "&About Kestrel...";
inline constexpr const char* kSendBinaryMenuText = "Send Binary File...";
inline constexpr const char* kPortIdentityFormat = "Port identity is: %s";
// The port identity line while a TCP/IP connection is waited for.
inline constexpr const char* kConnectingFormat = "Connecting to %s ...";
// Ours: reconnecting to a lost port.
inline constexpr const char* kReconnectMenuText = "Reconnect automatically";
inline constexpr const char* kWaitingForPortFormat = "Waiting for %s to come back ...";
inline constexpr const char* kPortBackFormat = "Port identity is: %s (back at %s)";
inline constexpr const char* kCannotCommunicateText =
    "Cannot communicate with the printer.  Please check printer connection.";
inline constexpr const char* kLostConnectionText = "Lost connection to printer";
inline constexpr const char* kPortNotOpenedText =
    "Printer port not opened.  Click on \"Open Port\" button to connect.";
inline constexpr const char* kHaltSentence = "\r\n\r\nProgram halted, Press OK to restart";
inline constexpr const char* kPrinterInErrorText = "Printer in Error";
inline constexpr const char* kNoStatusText =
    "No status from Printer, Printer may be disconnected, powered off, or periodic status is "
    "not enabled.";
inline constexpr const char* kStartPollingCaption = "<-- Start Polling    ";
inline constexpr const char* kStopPollingCaption = "<-- Stop Polling   ";
inline constexpr const char* kSmartPollCommand = "[gs]~SS<0x81>";
inline constexpr const char* kVentrixPollCommand = "<0x02><0x00>";
inline constexpr const char* kTooLongForPacketText =
    "The command is too long for one Ventrix packet (at most 252 bytes); nothing was sent.";
inline constexpr const char* kSaveLogErrorFormat = "Error: %d on saving log file.";
inline constexpr const char* kSaveLogAccessErrorText =
    "Possible access error on saving to log file.";
inline constexpr const char* kHelpPageName = "Kestrel.html";
// The application's name, the caption of its own message boxes.
inline constexpr const char* kAppName = "Kestrel";

// Picture button images: the base name, to which the host adds "U", "D" and "F".
inline constexpr const char* kCommOpenImages = "COMM";
inline constexpr const char* kCommCloseImages = "COMMCLOSE";

// The image base of a picture button at start.
std::string PictureButtonImages(int id);

}  // namespace kestrel
