#include "ui/TemplateStyle.h"

#include <QWidget>

namespace kestrel {
namespace {

constexpr int kIndicatorUnits = 7;

}  // namespace

TemplateStyle::TemplateStyle(const DialogUnits& units)
    : m_indicatorSide(units.ToPixelsY(kIndicatorUnits)) {}

int TemplateStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const {
    switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return m_indicatorSide;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

TemplateStyle* TemplateStyle::For(QWidget* dialog, const DialogUnits& units) {
    auto* style = dialog->findChild<TemplateStyle*>(QString(), Qt::FindDirectChildrenOnly);
    if (style == nullptr) {
        style = new TemplateStyle(units);
        style->setParent(dialog);
    }
    return style;
}

}  // namespace kestrel
