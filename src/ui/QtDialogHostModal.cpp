// What a dialog opens over itself: message boxes, file and folder dialogs, nested dialogs and
// the browser. Each runs in a real nested loop, so the window timers keep ticking. On the
// offscreen platform, and while the program ends on a signal, none of them waits.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>

#include "console/DialogTemplates.h"
#include "platform/TerminationSignals.h"
#include "ui/HostText.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr const char* kAppCaption = "Kestrel";
constexpr unsigned kMbIconMask = 0xF0;

// "Rich Text (*.rtf)|*.rtf|All Files (*.*)|*.*||" as Qt's ";;"-separated name filters.
QString QtNameFilters(const std::string& filter) {
    const QStringList parts = Cp1252ToQString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (parts[i].endsWith(QLatin1Char(')')) ? parts[i]
                                                        : parts[i] + " (" + patterns + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

QMessageBox::Icon IconFor(unsigned style) {
    switch (style & kMbIconMask) {
        case kMbIconError:
            return QMessageBox::Critical;
        case kMbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// No operator can answer on the offscreen platform; once a signal asked the program to end,
// none is waited for.
bool NobodyWillAnswer() {
    return IsHeadlessPlatform() || TerminationSignalArrived();
}

// Counts a dialog as open over the window while it runs.
class ModalScope {
  public:
    explicit ModalScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~ModalScope() { --m_depth; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    int& m_depth;
};

}  // namespace

int QtDialogHost::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
    const std::string title = caption.empty() ? std::string(kAppCaption) : caption;
    if (NobodyWillAnswer()) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        if (m_log) {
            const char* why = IsHeadlessPlatform() ? "no display" : "the program is ending";
            m_log(std::string("Message box (") + why + "), " + title + ":\n" + text);
        }
        return kIdOk;
    }
    QMessageBox box(IconFor(style), Cp1252ToDisplayText(title), Cp1252ToDisplayText(text),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    const ModalScope modal(m_modalDepth);
    box.exec();
    return kIdOk;
}

std::string QtDialogHost::SaveFileDialog(const std::string& filter) {
    if (NobodyWillAnswer()) {
        return std::string();
    }
    const ModalScope modal(m_modalDepth);
    return QStringToFileName(
        QFileDialog::getSaveFileName(this, QString(), QDir::currentPath(), QtNameFilters(filter)));
}

std::string QtDialogHost::OpenFileDialog(const std::string& filter,
                                         const std::string& initialFolder) {
    if (NobodyWillAnswer()) {
        return std::string();
    }
    const ModalScope modal(m_modalDepth);
    const QString folder =
        initialFolder.empty() ? QDir::currentPath() : FileNameToQString(initialFolder);
    return QStringToFileName(
        QFileDialog::getOpenFileName(this, QString(), folder, QtNameFilters(filter)));
}

std::string QtDialogHost::BrowseForFolder(const std::string& title,
                                          const std::string& startFolder) {
    if (NobodyWillAnswer()) {
        return std::string();
    }
    const ModalScope modal(m_modalDepth);
    const QString folder =
        startFolder.empty() ? QDir::currentPath() : FileNameToQString(startFolder);
    return QStringToFileName(
        QFileDialog::getExistingDirectory(this, Cp1252ToQString(title), folder));
}

int QtDialogHost::RunDialog(int templateId, DialogEvents& events) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    if (dialogTemplate == nullptr || NobodyWillAnswer()) {
        return kIdCancel;
    }
    QtDialogHost dialog(*dialogTemplate, this, m_log);
    dialog.setWindowModality(Qt::WindowModal);
    const ModalScope modal(m_modalDepth);
    return dialog.RunModal(events);
}

void QtDialogHost::OpenLocalPage(const std::string& path) {
    if (NobodyWillAnswer()) {
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FileNameToQString(path)));
}

void QtDialogHost::DispatchWaitingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kestrel
