// The event loop's side of SIGINT, SIGTERM and SIGHUP: watches the signal pipe and, when a
// signal came, closes every dialog and message box open over the console (they answer as
// cancelled) and hands the signal to the console. A signal that comes before the console runs
// waits for it.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;
class QWidget;

namespace kestrel {

class TerminationSignalNotifier : public QObject {
    Q_OBJECT

  public:
    // Needs InstallTerminationSignals() first; without its pipe it watches nothing.
    TerminationSignalNotifier();
    ~TerminationSignalNotifier() override;

    // While the console `window` runs, signals go to `onSignal`; null for both when it ended.
    void SetConsole(QWidget* window, std::function<void(int)> onSignal);

  private:
    void OnPipeReadable();
    void Deliver();

    QSocketNotifier* m_notifier = nullptr;
    QWidget* m_console = nullptr;
    std::function<void(int)> m_onSignal;
    int m_pendingSignal = 0;
};

// Ends every dialog, message box and menu open in the program except `keep`: their nested
// loops return as if cancelled.
void CloseOpenDialogs(const QWidget* keep);

}  // namespace kestrel
