#include "ui/Artwork.h"

#include <QtGlobal>

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

QIcon KestrelIcon() {
    EnsureArtworkRegistered();
    return QIcon(QStringLiteral(":/images/kestrel.png"));
}

}  // namespace kestrel
