// Texts between the logic (code page 1252 bytes) and Qt (Unicode), for drawing, the clipboard
// and the controls.
#pragma once

#include <QString>
#include <string>
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

// What the operator typed, in code page 1252; characters it has no byte for become '?'.
inline std::string QStringToCp1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        const int byte = UnicodeToCp1252(c.unicode());
        result.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return result;
}

// A message or caption for display: "\r\n" is one line break.
inline QString Cp1252ToDisplayText(std::string_view text) {
    QString result = Cp1252ToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

}  // namespace kestrel
