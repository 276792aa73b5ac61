// The artwork embedded in the program: the picture buttons' images and the icon.
#pragma once

#include <QIcon>
#include <QString>
#include <string>

namespace kestrel {

// Registers the embedded images; every function here does it first.
void EnsureArtworkRegistered();

// The resource path of a button image, e.g. ":/images/PRINTU.png".
QString ButtonImagePath(const std::string& imageName);

// The words a button's images show ("PRINT" shows PRINT TICKET, "COMMCLOSE" CLOSE PORT), which
// are the button's name for a screen reader; empty for an unknown set.
QString ButtonImageWords(const std::string& imageBase);

// The application's icon.
QIcon KestrelIcon();

}  // namespace kestrel
