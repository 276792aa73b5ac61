// Text of the log pane (code page 1252) as a QString, for drawing and the clipboard.
#pragma once

#include <QString>
#include <string_view>

#include "commlog/Cp1252.h"

namespace kestrel {

inline QString Cp1252ToQString(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        result.append(QChar(Cp1252ToUnicode(static_cast<uint8_t>(c))));
    }
    return result;
}

}  // namespace kestrel
