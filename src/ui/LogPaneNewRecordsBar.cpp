#include "ui/LogPaneNewRecordsBar.h"

namespace kestrel {

LogPaneNewRecordsBar::LogPaneNewRecordsBar(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    setStyleSheet(
        QStringLiteral("QPushButton { background: #fff3b0; color: #202020;"
                       " border: 1px solid #c8b560; padding: 1px 8px; }"));
    hide();
}

void LogPaneNewRecordsBar::SetCount(int records) {
    m_count = records;
    setText(records == 1 ? tr("1 new record below - click to follow the end")
                         : tr("%1 new records below - click to follow the end").arg(records));
}

}  // namespace kestrel
