#include "ui/Artwork.h"

#include <QtGlobal>
#include <string_view>

// The resources live in a static library: the linker keeps them only when they are named.
static void RegisterKestrelResources() {
    Q_INIT_RESOURCE(kestrel);
}

namespace kestrel {

void EnsureArtworkRegistered() {
    static const bool registered = (RegisterKestrelResources(), true);
    (void)registered;
}

QString ButtonImagePath(const std::string& imageName) {
    EnsureArtworkRegistered();
    return QStringLiteral(":/images/") + QString::fromLatin1(imageName.c_str()) +
           QStringLiteral(".png");
}

QString ButtonImageWords(const std::string& imageBase) {
    struct Words {
        std::string_view imageBase;
        const char* words;
    };
    static constexpr Words kWords[] = {
        {"PRINT", "PRINT TICKET"}, {"COMM", "OPEN PORT"}, {"COMMCLOSE", "CLOSE PORT"},
        {"STATUS", "HELP"},        {"EXITIMAGE", "EXIT"},
    };
    for (const Words& entry : kWords) {
        if (entry.imageBase == imageBase) {
            return QString::fromLatin1(entry.words);
        }
    }
    return QString();
}

QIcon KestrelIcon() {
    EnsureArtworkRegistered();
    return QIcon(QStringLiteral(":/images/kestrel.png"));
}

}  // namespace kestrel
