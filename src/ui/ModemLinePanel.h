// The modem lines panel of Debug Mode on the console's window: its lamps, toggles and note as
// controls of the console's own ids (console/ModemLines.h), in the right-hand column where no
// control of the window's modes stands: below the port identity lines, or below the Smart
// group while that is shown.
#pragma once

#include <QObject>

class QWidget;

namespace kestrel {

class QtDialogHost;

class ModemLinePanel : public QObject {
  public:
    // Builds the panel, hidden, into `host` (the console's window).
    explicit ModemLinePanel(QtDialogHost& host);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Place();

    QtDialogHost& m_host;
    QWidget* m_panel = nullptr;
    QWidget* m_smartGroup = nullptr;
};

}  // namespace kestrel
