#include "ui/LineLamp.h"

#include <QPainter>

namespace kestrel {
namespace {

const QColor kLit(40, 190, 60);
const QColor kDark(70, 80, 70);
const QColor kEdge(40, 40, 40);
// The gap between the lamp and its caption, in average characters.
constexpr int kCaptionGapChars = 1;

}  // namespace

LineLamp::LineLamp(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize LineLamp::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.height() + kCaptionGapChars * metrics.averageCharWidth() +
                     metrics.horizontalAdvance(text()),
                 metrics.height());
}

void LineLamp::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int diameter = std::min(height(), fontMetrics().ascent()) - 1;
    const QRect lamp(1, (height() - diameter) / 2, diameter, diameter);
    QColor fill = isChecked() ? kLit : kDark;
    if (!isEnabled()) {
        fill = palette().color(QPalette::Disabled, QPalette::Window).darker(110);
    }
    painter.setPen(isEnabled() ? kEdge : palette().color(QPalette::Disabled, QPalette::Mid));
    painter.setBrush(fill);
    painter.drawEllipse(lamp);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const int left = lamp.right() + 1 + kCaptionGapChars * fontMetrics().averageCharWidth();
    painter.drawText(QRect(left, 0, width() - left, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

}  // namespace kestrel
