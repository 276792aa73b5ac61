#include "ui/GroupBoxFrame.h"

#include <QPainter>
#include <algorithm>

namespace kestrel {
namespace {

// The title stands one average character in from the frame's left edge, with this much of the
// dialog's colour either side of it, so the frame line stops short of the letters.
constexpr int kTitlePadding = 2;

}  // namespace

GroupBoxFrame::GroupBoxFrame(const QString& title, QWidget* parent)
    : QWidget(parent), m_title(title) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void GroupBoxFrame::SetTitle(const QString& title) {
    m_title = title;
    update();
}

QRect GroupBoxFrame::TitleRoom() const {
    const int corner = fontMetrics().averageCharWidth();
    return QRect(corner, 0, std::max(0, width() - 2 * corner), fontMetrics().height());
}

QRect GroupBoxFrame::TitleRect() const {
    if (m_title.isEmpty()) {
        return QRect();
    }
    const QRect room = TitleRoom();
    const int textWidth = fontMetrics().horizontalAdvance(m_title);
    return QRect(room.left(), room.top(), std::min(textWidth, room.width()), room.height());
}

void GroupBoxFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const int lineY = fontMetrics().height() / 2;
    // Etched: a shadow line with a highlight line one pixel below and right of it.
    const QRect frame(0, lineY, width() - 1, height() - lineY - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    const QRect title = TitleRect();
    if (title.isEmpty()) {
        return;
    }
    painter.fillRect(title.adjusted(-kTitlePadding, 0, kTitlePadding, 0),
                     palette().brush(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(title, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_title);
}

}  // namespace kestrel
