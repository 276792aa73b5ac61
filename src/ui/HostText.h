// The two kinds of text that cross between the logic and Qt. The system's own texts (captions,
// messages, what the printer reports and what the operator types) are code page 1252. Names of
// the file system (file and folder names, device paths, the demo titles taken from file names)
// are bytes of the system's encoding and are shown as the system decodes them. A control's
// template style says which kind its items and text are.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/DialogTemplate.h"
#include "ui/Cp1252QString.h"

namespace kestrel {

enum class TextKind { System, FileName };

constexpr TextKind TextKindOfStyle(uint32_t style) {
    return (style & kStyleFileNames) != 0 ? TextKind::FileName : TextKind::System;
}

inline QString FileNameToQString(std::string_view name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

inline std::string QStringToFileName(const QString& name) {
    const QByteArray bytes = QFile::encodeName(name);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A text as given (an item of a list, say).
inline QString ToQString(TextKind kind, std::string_view text) {
    return kind == TextKind::FileName ? FileNameToQString(text) : Cp1252ToQString(text);
}

// A text for display, where a system text's "\r\n" is one line break.
inline QString ToDisplayText(TextKind kind, std::string_view text) {
    return kind == TextKind::FileName ? FileNameToQString(text) : Cp1252ToDisplayText(text);
}

// What the operator typed, as the logic's bytes of that kind.
inline std::string FromQString(TextKind kind, const QString& text) {
    return kind == TextKind::FileName ? QStringToFileName(text) : QStringToCp1252(text);
}

}  // namespace kestrel
