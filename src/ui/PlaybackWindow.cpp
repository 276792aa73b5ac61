#include "ui/PlaybackWindow.h"

#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>

#include "console/DialogTemplates.h"
#include "packets/PacketStore.h"
#include "packets/PlaybackConsole.h"
#include "packets/PlaybackTimeline.h"
#include "packets/RecordingReader.h"
#include "ui/CRichtextctrl1.h"
#include "ui/HostText.h"
#include "ui/PacketViewPanel.h"
#include "ui/QtDialogHost.h"
#include "ui/TerminationSignalNotifier.h"

namespace kestrel {
namespace {

constexpr int kNoFileExitCode = 2;
constexpr int kUnreadableExitCode = 1;
constexpr int kPanelWidth = 900;

}  // namespace

std::optional<std::string> ReplayRequest(const std::vector<std::string>& args) {
    const std::string withValue = std::string(kReplayOption) + "=";
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == kReplayOption) {
            return i + 1 < args.size() ? args[i + 1] : std::string();
        }
        if (args[i].rfind(withValue, 0) == 0) {
            return args[i].substr(withValue.size());
        }
    }
    return std::nullopt;
}

PlaybackWindow::PlaybackWindow(const std::string& path) : m_store(std::make_unique<PacketStore>()) {
    const RecordingContents contents = ReadRecording(path, *m_store);
    if (!contents.read) {
        m_error = path + ": " + contents.error;
        return;
    }
    m_timeline = std::make_unique<PlaybackTimeline>(*m_store);
    m_console = std::make_unique<PlaybackConsole>(*m_store, *m_timeline);
    m_host = std::make_unique<QtDialogHost>(ConsoleTemplate());
    const QString name = QFileInfo(FileNameToQString(path)).fileName();
    m_host->setWindowTitle(QObject::tr("Kestrel - playback of %1").arg(name));

    m_panel = std::make_unique<PacketViewPanel>(*m_store, true, m_host.get());
    m_panel->setWindowFlag(Qt::Window);
    m_panel->setWindowTitle(QObject::tr("Kestrel - Packets of %1").arg(name));
    m_panel->resize(kPanelWidth, m_host->height());
    QString status =
        QObject::tr("%1 rows; started %2; port %3")
            .arg(m_store->RowCount())
            .arg(QString::fromStdString(contents.started), FileNameToQString(contents.port));
    for (const std::string& notice : contents.Notices()) {
        status += QStringLiteral("  ") + QString::fromStdString(notice);
    }
    m_panel->SetStatusText(status);
    QObject::connect(m_panel.get(), &PacketViewPanel::rowChosen, m_panel.get(),
                     [this](size_t row) { ShowRow(row); });
}

PlaybackWindow::~PlaybackWindow() {
    m_panel.reset();  // a child of the host's window: it goes first
}

void PlaybackWindow::ShowRow(size_t storeRow) {
    m_console->ShowRow(storeRow);
    auto* pane = dynamic_cast<CRichtextctrl1*>(m_host->LogPane());
    if (const auto span = m_console->RowInPane(storeRow); pane != nullptr && span) {
        pane->SelectRange(span->begin, span->end);
    }
}

void PlaybackWindow::ChooseRow(size_t storeRow) {
    m_panel->ChooseStoreRow(storeRow);
}

int PlaybackWindow::Run(TerminationSignalNotifier* signalNotifier) {
    // Once the console's window is up, the packet view stands beside it on the first row.
    QMetaObject::invokeMethod(
        m_panel.get(),
        [this] {
            m_panel->move(m_host->frameGeometry().topRight() + QPoint(1, 0));
            m_panel->show();
            if (m_store->RowCount() > 0) {
                ChooseRow(0);
            }
        },
        Qt::QueuedConnection);
    if (signalNotifier != nullptr) {
        signalNotifier->SetConsole(m_host.get(), [this](int) { m_host->EndDialog(kIdCancel); });
    }
    m_host->RunModal(*m_console);
    if (signalNotifier != nullptr) {
        signalNotifier->SetConsole(nullptr, nullptr);
    }
    return 0;
}

int RunPlayback(const std::string& path, TerminationSignalNotifier& signalNotifier) {
    if (path.empty()) {
        std::fputs("kestrel: --replay needs the recording to play back\n", stderr);
        return kNoFileExitCode;
    }
    PlaybackWindow playback(path);
    if (!playback.Error().empty()) {
        const std::string text = "Kestrel cannot play back " + playback.Error();
        std::fprintf(stderr, "kestrel: %s\n", text.c_str());
        if (!IsHeadlessPlatform()) {
            QMessageBox::warning(nullptr, QStringLiteral("Kestrel"), FileNameToQString(text));
        }
        return kUnreadableExitCode;
    }
    return playback.Run(&signalNotifier);
}

}  // namespace kestrel
