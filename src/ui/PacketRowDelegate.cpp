#include "ui/PacketRowDelegate.h"

#include <QPainter>

namespace kestrel {
namespace {

constexpr int kTextMargin = 3;

}  // namespace

void PacketRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected) {
        painter->fillRect(option.rect, option.palette.highlight());
    } else if (background.isValid()) {
        painter->fillRect(option.rect, background.value<QBrush>());
    }
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(selected               ? option.palette.highlightedText().color()
                    : foreground.isValid() ? foreground.value<QBrush>().color()
                                           : option.palette.text().color());
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const int flags = (alignment.isValid() ? alignment.toInt() : Qt::AlignLeft | Qt::AlignVCenter) |
                      Qt::TextSingleLine;
    painter->drawText(option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0), flags,
                      index.data(Qt::DisplayRole).toString());
}

}  // namespace kestrel
