#include "ui/DialogUnits.h"

#include <QFontMetricsF>
#include <cmath>

namespace kestrel {
namespace {

// Liberation Sans at 9 points gives the vertical unit of the templates' original 8-point font
// (13 pixels a line at 96 dots per inch), which the 70-pixel picture buttons were fitted to, and
// a horizontal unit (7 pixels a character) with which every caption fits its rectangle.
constexpr const char* kDialogFontFamily = "Liberation Sans";
constexpr int kDialogFontPoints = 9;

// The base units of the original 8-point font at 96 dots per inch, which the console's picture
// rectangles were given in.
constexpr double kOriginalBaseX = 6.0;
constexpr double kOriginalBaseY = 13.0;

constexpr double kUnitsPerCharacterX = 4.0;
constexpr double kUnitsPerCharacterY = 8.0;

// The average character width as the platform measures it: the alphabet in both cases.
constexpr const char* kAverageSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr double kAverageSampleLength = 52.0;

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

QFont DialogFont() {
    QFont font(kDialogFontFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(kDialogFontPoints);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    m_baseX = std::round(metrics.horizontalAdvance(kAverageSample) / kAverageSampleLength);
    m_baseY = std::round(metrics.height());
}

int DialogUnits::ToPixelsX(int units) const {
    return Round(units * m_baseX / kUnitsPerCharacterX);
}

int DialogUnits::ToPixelsY(int units) const {
    return Round(units * m_baseY / kUnitsPerCharacterY);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

QRect DialogUnits::ScaleBasePixels(const ClientRect& rect) const {
    const double sx = m_baseX / kOriginalBaseX;
    const double sy = m_baseY / kOriginalBaseY;
    const int left = Round(rect.left * sx);
    const int top = Round(rect.top * sy);
    return QRect(left, top, Round(rect.right * sx) - left, Round(rect.bottom * sy) - top);
}

}  // namespace kestrel
