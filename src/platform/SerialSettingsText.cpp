#include "platform/SerialSettingsText.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/NumberText.h"

namespace kestrel {
namespace {

constexpr uint8_t kMinByteSize = 5;
constexpr uint8_t kMaxByteSize = 8;
constexpr uint32_t kSlowBaudRate = 110;  // takes two stop bits when none are given

// The short rates of the old form ("96" for 9600), as the platform's MODE syntax has them.
struct ShortRate {
    uint32_t written;
    uint32_t rate;
};
constexpr ShortRate kShortRates[] = {{11, 110},  {15, 150},  {30, 300},  {60, 600},  {12, 1200},
                                     {24, 2400}, {48, 4800}, {96, 9600}, {19, 19200}};

void SkipSpaces(std::string_view* text) {
    while (!text->empty() && text->front() == ' ') {
        text->remove_prefix(1);
    }
}

std::optional<uint32_t> TakeNumber(std::string_view* text) {
    size_t digits = 0;
    while (digits < text->size() && IsDigit((*text)[digits])) {
        ++digits;
    }
    const std::optional<uint64_t> value = ReadDecimal(text->substr(0, digits), UINT32_MAX);
    if (!value) {
        return std::nullopt;
    }
    text->remove_prefix(digits);
    return static_cast<uint32_t>(*value);
}

std::optional<uint8_t> TakeParity(std::string_view* text) {
    if (text->empty()) {
        return std::nullopt;
    }
    const char letter = LowerAscii(text->front());
    text->remove_prefix(1);
    switch (letter) {
        case 'n':
            return kNoParity;
        case 'o':
            return kOddParity;
        case 'e':
            return kEvenParity;
        case 'm':
            return kMarkParity;
        case 's':
            return kSpaceParity;
        default:
            return std::nullopt;
    }
}

std::optional<uint8_t> TakeByteSize(std::string_view* text) {
    const std::optional<uint32_t> size = TakeNumber(text);
    if (!size || *size < kMinByteSize || *size > kMaxByteSize) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(*size);
}

std::optional<uint8_t> TakeStopBits(std::string_view* text) {
    for (const auto& [written, value] : {std::pair<std::string_view, uint8_t>{"1.5", kOne5StopBits},
                                         {"1", kOneStopBit},
                                         {"2", kTwoStopBits}}) {
        if (StartsWithNoCase(*text, written)) {
            text->remove_prefix(written.size());
            return value;
        }
    }
    return std::nullopt;
}

// "on" 1, "off" 0, and where allowed "hs" 2 and "tg" 3.
std::optional<uint32_t> TakeSwitch(std::string_view* text, bool handshake, bool toggle) {
    struct Word {
        std::string_view text;
        uint32_t value;
        bool allowed;
    };
    const Word words[] = {
        {"off", 0, true}, {"on", 1, true}, {"hs", 2, handshake}, {"tg", 3, toggle}};
    for (const Word& word : words) {
        if (word.allowed && StartsWithNoCase(*text, word.text)) {
            text->remove_prefix(word.text.size());
            return word.value;
        }
    }
    return std::nullopt;
}

void SetFlag(DCB* dcb, uint32_t mask, bool on) {
    dcb->Flags = on ? (dcb->Flags | mask) : (dcb->Flags & ~mask);
}

void SetField(DCB* dcb, uint32_t mask, uint32_t unit, uint32_t value) {
    dcb->Flags = (dcb->Flags & ~mask) | (value * unit);
}

bool TakeSeparator(std::string_view* text) {
    SkipSpaces(text);
    if (text->empty() || text->front() != ',') {
        return false;
    }
    text->remove_prefix(1);
    SkipSpaces(text);
    return true;
}

bool BuildOldForm(std::string_view text, DCB* dcb) {
    std::optional<uint32_t> rate = TakeNumber(&text);
    if (!rate) {
        return false;
    }
    for (const ShortRate& shortRate : kShortRates) {
        if (*rate == shortRate.written) {
            rate = shortRate.rate;
        }
    }
    dcb->BaudRate = *rate;
    std::optional<uint8_t> parity;
    std::optional<uint8_t> size;
    std::optional<uint8_t> stop;
    if (!TakeSeparator(&text) || !(parity = TakeParity(&text)) || !TakeSeparator(&text) ||
        !(size = TakeByteSize(&text)) || !TakeSeparator(&text) || !(stop = TakeStopBits(&text))) {
        return false;
    }
    dcb->Parity = *parity;
    dcb->ByteSize = *size;
    dcb->StopBits = *stop;
    char flow = 0;
    SkipSpaces(&text);
    if (!text.empty() && text.front() == ',') {
        text.remove_prefix(1);
        SkipSpaces(&text);
        if (!text.empty()) {
            flow = LowerAscii(text.front());
            text.remove_prefix(1);
        }
        SkipSpaces(&text);
    }
    if (!text.empty()) {
        return false;
    }
    // The flow field, or its absence, sets every flow control member.
    const bool xonXoff = flow == 'x';
    const bool hardware = flow == 'p';
    if (flow != 0 && !xonXoff && !hardware) {
        return false;
    }
    SetFlag(dcb, kDcbInX | kDcbOutX, xonXoff);
    SetFlag(dcb, kDcbOutxCtsFlow | kDcbOutxDsrFlow, hardware);
    SetField(dcb, kDcbDtrControlMask, kDcbDtrControlEnable, hardware ? 2 : 1);
    SetField(dcb, kDcbRtsControlMask, kDcbRtsControlEnable, hardware ? 2 : 1);
    return true;
}

bool BuildNewForm(std::string_view text, DCB* dcb) {
    bool baudGiven = false;
    bool stopGiven = false;
    SkipSpaces(&text);
    if (text.empty()) {
        return false;
    }
    while (!text.empty()) {
        bool ok = true;
        std::optional<uint32_t> on;
        if (StartsWithNoCase(text, "baud=")) {
            text.remove_prefix(5);
            const std::optional<uint32_t> rate = TakeNumber(&text);
            ok = rate.has_value();
            dcb->BaudRate = rate.value_or(dcb->BaudRate);
            baudGiven = true;
        } else if (StartsWithNoCase(text, "parity=")) {
            text.remove_prefix(7);
            const std::optional<uint8_t> parity = TakeParity(&text);
            ok = parity.has_value();
            dcb->Parity = parity.value_or(dcb->Parity);
        } else if (StartsWithNoCase(text, "data=")) {
            text.remove_prefix(5);
            const std::optional<uint8_t> size = TakeByteSize(&text);
            ok = size.has_value();
            dcb->ByteSize = size.value_or(dcb->ByteSize);
        } else if (StartsWithNoCase(text, "stop=")) {
            text.remove_prefix(5);
            const std::optional<uint8_t> stop = TakeStopBits(&text);
            ok = stop.has_value();
            dcb->StopBits = stop.value_or(dcb->StopBits);
            stopGiven = true;
        } else if (StartsWithNoCase(text, "to=")) {
            text.remove_prefix(3);
            ok = TakeSwitch(&text, false, false).has_value();  // time-outs are not in a DCB
        } else if (StartsWithNoCase(text, "xon=")) {
            text.remove_prefix(4);
            ok = (on = TakeSwitch(&text, false, false)).has_value();
            SetFlag(dcb, kDcbOutX | kDcbInX, on.value_or(0) != 0);
        } else if (StartsWithNoCase(text, "odsr=")) {
            text.remove_prefix(5);
            ok = (on = TakeSwitch(&text, false, false)).has_value();
            SetFlag(dcb, kDcbOutxDsrFlow, on.value_or(0) != 0);
        } else if (StartsWithNoCase(text, "octs=")) {
            text.remove_prefix(5);
            ok = (on = TakeSwitch(&text, false, false)).has_value();
            SetFlag(dcb, kDcbOutxCtsFlow, on.value_or(0) != 0);
        } else if (StartsWithNoCase(text, "dtr=")) {
            text.remove_prefix(4);
            ok = (on = TakeSwitch(&text, true, false)).has_value();
            SetField(dcb, kDcbDtrControlMask, kDcbDtrControlEnable, on.value_or(0));
        } else if (StartsWithNoCase(text, "rts=")) {
            text.remove_prefix(4);
            ok = (on = TakeSwitch(&text, true, true)).has_value();
            SetField(dcb, kDcbRtsControlMask, kDcbRtsControlEnable, on.value_or(0));
        } else if (StartsWithNoCase(text, "idsr=")) {
            text.remove_prefix(5);
            ok = (on = TakeSwitch(&text, false, false)).has_value();
            SetFlag(dcb, kDcbDsrSensitivity, on.value_or(0) != 0);
        } else {
            ok = false;
        }
        // Each setting ends at a space or at the end of the text.
        if (!ok || (!text.empty() && text.front() != ' ')) {
            return false;
        }
        SkipSpaces(&text);
    }
    if (!stopGiven) {
        dcb->StopBits = (baudGiven && dcb->BaudRate == kSlowBaudRate) ? kTwoStopBits : kOneStopBit;
    }
    return true;
}

// Skips a leading device name "COMn:".
std::optional<std::string_view> SkipDeviceName(std::string_view text) {
    SkipSpaces(&text);
    if (!StartsWithNoCase(text, "COM")) {
        return text;
    }
    text.remove_prefix(3);
    if (text.empty() || text.front() < '1' || text.front() > '9') {
        return std::nullopt;
    }
    while (!text.empty() && IsDigit(text.front())) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() != ':') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    SkipSpaces(&text);
    return text;
}

}  // namespace

bool BuildCommDcb(const char* text, DCB* dcb) {
    if (text == nullptr || dcb == nullptr) {
        return false;
    }
    const std::optional<std::string_view> settings = SkipDeviceName(text);
    if (!settings) {
        return false;
    }
    DCB result = *dcb;  // a refused text must leave the DCB as it was
    result.DCBlength = sizeof(DCB);
    const bool ok = settings->find(',') != std::string_view::npos
                        ? BuildOldForm(*settings, &result)
                        : BuildNewForm(*settings, &result);
    if (ok) {
        *dcb = result;
    }
    return ok;
}

}  // namespace kestrel
