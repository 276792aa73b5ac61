#include "ui/TerminationSignalNotifier.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/DialogHost.h"
#include "platform/TerminationSignals.h"
#include "ui/QtDialogHost.h"

namespace kestrel {

TerminationSignalNotifier::TerminationSignalNotifier() {
    const int descriptor = TerminationSignalDescriptor();
    if (descriptor < 0) {
        return;
    }
    m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this,
            &TerminationSignalNotifier::OnPipeReadable);
}

TerminationSignalNotifier::~TerminationSignalNotifier() = default;

void TerminationSignalNotifier::SetConsole(QWidget* window, std::function<void(int)> onSignal) {
    m_console = window;
    m_onSignal = std::move(onSignal);
    if (m_onSignal && m_pendingSignal != 0) {
        // Delivered from the console's own loop, once it runs.
        QTimer::singleShot(0, this, &TerminationSignalNotifier::Deliver);
    }
}

void TerminationSignalNotifier::OnPipeReadable() {
    const int signalNumber = TakeTerminationSignal();
    if (signalNumber == 0) {
        return;
    }
    m_pendingSignal = signalNumber;
    CloseOpenDialogs(m_console);
    Deliver();
}

void TerminationSignalNotifier::Deliver() {
    if (!m_onSignal || m_pendingSignal == 0) {
        return;
    }
    const int signalNumber = m_pendingSignal;
    m_pendingSignal = 0;
    m_onSignal(signalNumber);
}

void CloseOpenDialogs(const QWidget* keep) {
    constexpr int kMostNestedPopups = 16;
    for (int i = 0; i < kMostNestedPopups && QApplication::activePopupWidget() != nullptr; ++i) {
        QApplication::activePopupWidget()->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == keep || !window->isVisible()) {
            continue;
        }
        if (auto* host = qobject_cast<QtDialogHost*>(window)) {
            host->EndDialog(kIdCancel);  // not through its Cancel button, which may be disabled
        } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        }
    }
}

}  // namespace kestrel
