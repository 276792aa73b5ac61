#include "ui/LogPaneScrollBar.h"

#include <QRegion>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kestrel {
namespace {

constexpr int kSliderEdge = 2;

}  // namespace

LogPaneScrollBar::LogPaneScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

QRect LogPaneScrollBar::SubControlRect(QStyle::SubControl control) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
}

LogPaneScrollBar::Shown LogPaneScrollBar::WhatIsShown() const {
    return Shown{SubControlRect(QStyle::SC_ScrollBarSlider), value() <= minimum(),
                 value() >= maximum()};
}

void LogPaneScrollBar::sliderChange(SliderChange change) {
    // A bar that fades in when it moves is left to the style. Otherwise only what changed is
    // painted again: the slider's old and new place, and an arrow that is greyed at its end of
    // the range or no longer is.
    if (change == SliderOrientationChange || LeftToTheStyle() || !m_painted) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (m_batchDepth == 0) {
        RepaintWhatChanged();
    }
}

bool LogPaneScrollBar::LeftToTheStyle() const {
    return style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this) != 0;
}

void LogPaneScrollBar::EndBatch() {
    if (--m_batchDepth == 0 && m_painted && !LeftToTheStyle()) {
        RepaintWhatChanged();
    }
}

void LogPaneScrollBar::RepaintWhatChanged() {
    const Shown now = WhatIsShown();
    QRegion changed;
    if (m_painted->slider != now.slider) {
        // The style draws the slider's edge just outside its rectangle.
        changed += m_painted->slider.united(now.slider)
                       .adjusted(-kSliderEdge, -kSliderEdge, kSliderEdge, kSliderEdge)
                       .intersected(rect());
    }
    if (m_painted->atMinimum != now.atMinimum) {
        changed += SubControlRect(QStyle::SC_ScrollBarSubLine);
    }
    if (m_painted->atMaximum != now.atMaximum) {
        changed += SubControlRect(QStyle::SC_ScrollBarAddLine);
    }
    if (!changed.isEmpty()) {
        update(changed);
    }
}

void LogPaneScrollBar::paintEvent(QPaintEvent* event) {
    // A paint covers everything that changed since the last one, so the whole bar now shows
    // the present state.
    m_painted = WhatIsShown();
    QScrollBar::paintEvent(event);
}

}  // namespace kestrel
