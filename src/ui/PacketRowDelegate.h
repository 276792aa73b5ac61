// Paints the packet view's cells plainly: background, colour and one line of text, without the
// style's full item rendering, so a view kept up to date beside a running session costs little.
#pragma once

#include <QStyledItemDelegate>

namespace kestrel {

class PacketRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace kestrel
