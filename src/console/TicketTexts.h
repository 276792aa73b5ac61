// The texts of ticket printing and the ticket monitor, byte-exact.
#pragma once

namespace kestrel {

inline constexpr const char* kSelectTicketText =
    "Please select which Ticket you wish to print. (upper left)";
inline constexpr const char* kTicketNotFoundText = "Ticket file not found.";
inline constexpr const char* kWriteToDeviceErrorText = "Write to device error";
inline constexpr const char* kBrowseTitle = "Kestrel";
inline constexpr const char* kBinaryFileFilter =
    "Binary file    (*.bin)|*.bin|Other Binary file    (*.*)|*.*||";
inline constexpr const char* kTicketExtension = ".dmo";
inline constexpr const char* kPreviewExtension = ".bmp";
inline constexpr const char* kNoPreviewFile = "NoPreview.bmp";

// Why a ticket or file was refused before its first byte went out.
inline constexpr const char* kNotSentSuffix = "; the ticket was not sent.";
inline constexpr const char* kLineTooLongText = " is longer than 9,999 characters";
inline constexpr const char* kLineTooLongForPacketText =
    " converts to more than 252 bytes, too many for one Ventrix packet";
inline constexpr const char* kTicketHoldsNulText =
    "The ticket file holds a NUL byte (is it a UTF-16 or binary file?)";
inline constexpr const char* kTicketTooLongText = "The ticket file is 10,000 bytes or longer";
inline constexpr const char* kTicketTooManyLinesText = "The ticket has more than 2,000 lines";
inline constexpr const char* kTicketEmptyText = "The ticket file holds nothing to send";
inline constexpr const char* kBinaryTooLongText =
    "The file is longer than 8,192,000 bytes (2,000 blocks of 4,096); nothing was sent.";
inline constexpr const char* kBinaryLineTooLongText =
    " is longer than 252 bytes, too many for one Ventrix packet; nothing was sent.";
inline constexpr const char* kBinaryTooManyLinesText =
    "The file has more than 2,000 lines; nothing was sent.";
// A ticket stopped part way.
inline constexpr const char* kTicketInterruptedText =
    "The connection to the printer was lost; the rest of the ticket was not sent.";
inline constexpr const char* kEndingOnSignalText =
    "The program was asked to end; the rest of the ticket was not sent.";
inline constexpr const char* kAlreadySendingText =
    "A ticket is being sent already; nothing else was sent.";

// The ticket monitor.
inline constexpr const char* kMonitorPollCommand = "<0x02><0x12>";
inline constexpr const char* kMonitorWaitingBusyText = "Waiting for Printer to go Busy.";
inline constexpr const char* kMonitorWaitingBarcodeText = "Waiting for Barcode Done.";
inline constexpr const char* kMonitorWaitingChuteText = "Waiting for Ticket in Chute.";
inline constexpr const char* kMonitorWaitingTopOfFormText = "Waiting for Top of Form.";
inline constexpr const char* kTicketDoneText = "Ticket done printing.";
inline constexpr const char* kTicketDoneClearAllText = "Ticket done printing; Sending Clear all.";
inline constexpr const char* kMonitorTimedOutText = "Printer Monitor Timed out; State = ";

}  // namespace kestrel
