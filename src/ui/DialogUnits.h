// The dialog font and the conversion of dialog units to pixels. A horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its character height, as the
// templates were drawn; pixel rectangles drawn for the templates' original 8-point font are
// scaled by the same factor.
#pragma once

#include <QFont>
#include <QRect>

#include "platform/DialogHost.h"

namespace kestrel {

// The font every dialog is built with.
QFont DialogFont();

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    QRect ToPixels(int x, int y, int width, int height) const;
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    // A rectangle in the pixels of the original 8-point font, in ours.
    QRect ScaleBasePixels(const ClientRect& rect) const;

    double BaseX() const { return m_baseX; }
    double BaseY() const { return m_baseY; }

  private:
    double m_baseX;  // average character width, pixels
    double m_baseY;  // character height, pixels
};

}  // namespace kestrel
