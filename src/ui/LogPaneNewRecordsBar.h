// The bar at the foot of the log pane while the view holds still: how many records arrived
// below, and a click goes back to the end.
#pragma once

#include <QPushButton>

namespace kestrel {

class LogPaneNewRecordsBar : public QPushButton {
    Q_OBJECT

  public:
    explicit LogPaneNewRecordsBar(QWidget* parent);
    void SetCount(int records);
    int Count() const { return m_count; }

  private:
    int m_count = 0;
};

}  // namespace kestrel
