// A lamp with a caption for a signal the window only shows: lit while checked, dark while not,
// greyed while disabled. It takes no clicks and no focus; the logic sets it as a check box.
#pragma once

#include <QAbstractButton>

namespace kestrel {

class LineLamp : public QAbstractButton {
    Q_OBJECT

  public:
    LineLamp(const QString& caption, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrel
