#include "ui/SessionPackets.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QShortcut>
#include <cstdio>

#include "app/CKestrelApp.h"
#include "commlog/CommLogRecordPlace.h"
#include "packets/RecordingFolder.h"
#include "ui/CRichtextctrl1.h"
#include "ui/ConsoleResizeLayout.h"
#include "ui/HostText.h"
#include "ui/PacketViewPanel.h"
#include "ui/PlaybackWindow.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr int kTickMs = 500;
// A shown view takes its new rows every so many ticks: painting the table is what costs.
constexpr int kTicksPerViewRefresh = 2;
constexpr const char* kViewShortcut = "Ctrl+Shift+P";
constexpr const char* kViewPlacementFile = "/Norvane/Kestrel/packet-view-window";
constexpr int kViewWidth = 980;
constexpr int kViewHeight = 420;

std::string ViewPlacementPath() {
    const std::string console = ConsolePlacementPath();
    const size_t slash = console.rfind("/Norvane/");
    return console.empty() ? console : console.substr(0, slash) + kViewPlacementFile;
}

}  // namespace

SessionPackets::SessionPackets(CKestrelApp& app, QtDialogHost& host)
    : m_app(app),
      m_host(host),
      m_preferences(PacketPreferences::Load(app.m_ioComm.OpenSettingsKey().get())),
      m_writer(std::make_unique<RecordingWriter>(
          m_preferences.recording, [&app] { return app.m_portName; },
          [&app](const char* format) { return app.GetClock().FormatLocalTime(format); })) {
    m_frames.AddSink(m_store);
    m_frames.AddSink(*m_writer);
    m_app.m_trafficObserver = &m_frames;

    m_panel = std::make_unique<PacketViewPanel>(m_store, false, &host);
    m_panel->setWindowFlag(Qt::Window);
    m_panel->setWindowTitle(tr("Kestrel - Packets"));
    m_panel->resize(kViewWidth, kViewHeight);
    m_panel->SetFilter(m_preferences.filter);
    connect(m_panel.get(), &PacketViewPanel::rowChosen, this,
            [this](size_t row) { SelectInLogPane(row); });
    if (!IsHeadlessPlatform()) {
        RestoreWindowPlacement(*m_panel, ViewPlacementPath());
    }

    host.AddMenuExtension([this](QMenu& menu) { ExtendMenu(menu); });
    for (QWidget* window : {static_cast<QWidget*>(&host), static_cast<QWidget*>(m_panel.get())}) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(kViewShortcut)), window);
        connect(shortcut, &QShortcut::activated, this, [this] { ShowView(!ViewShown()); });
    }
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &SessionPackets::Tick);
    m_timer.start();
    if (m_preferences.viewShown) {
        QTimer::singleShot(0, this, [this] { ShowView(true); });
    }
}

SessionPackets::~SessionPackets() {
    m_timer.stop();
    m_app.m_trafficObserver = nullptr;
    m_frames.Finish();
    m_writer->Flush();
    m_preferences.filter = m_panel->Filter();
    if (std::unique_ptr<SettingsKey> key = m_app.m_ioComm.OpenSettingsKey()) {
        m_preferences.Save(*key);
    }
    if (!IsHeadlessPlatform() && ViewShown()) {
        SaveWindowPlacement(*m_panel, ViewPlacementPath());
    }
}

bool SessionPackets::ViewShown() const {
    return m_panel->isVisible();
}

void SessionPackets::ShowView(bool shown) {
    m_preferences.viewShown = shown;
    if (!shown) {
        if (!IsHeadlessPlatform()) {
            SaveWindowPlacement(*m_panel, ViewPlacementPath());
        }
        m_panel->hide();
        return;
    }
    m_panel->TakeNewRows();
    UpdateStatus();
    m_panel->show();
    m_panel->raise();
}

void SessionPackets::ExtendMenu(QMenu& menu) {
    menu.addSeparator();
    QAction* view = menu.addAction(tr("&Packet View"), this, [this] { ShowView(!ViewShown()); });
    view->setCheckable(true);
    view->setChecked(ViewShown());
    view->setShortcut(QKeySequence(QString::fromLatin1(kViewShortcut)));
    menu.addAction(tr("Open &recording..."), this, &SessionPackets::OpenRecording);
}

void SessionPackets::OpenRecording() {
    const std::string folder = m_preferences.recording.folder.empty()
                                   ? DefaultRecordingFolder()
                                   : m_preferences.recording.folder;
    const QString path =
        QFileDialog::getOpenFileName(&m_host, tr("Open recording"), FileNameToQString(folder),
                                     tr("Kestrel recordings (*.csv);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    // A window of its own, in a process of its own: this session and its port go on untouched.
    QProcess::startDetached(QCoreApplication::applicationFilePath(),
                            {QString::fromLatin1(kReplayOption), path});
}

void SessionPackets::Tick() {
    m_frames.Tick();
    m_writer->Flush();
    const std::string reason = m_writer->TakeStopNotice();
    if (!reason.empty()) {
        ReportStoppedRecording(reason);
    }
    if (m_store.RowCount() > kLiveRowLimit) {
        m_store.DropOldest(kLiveRowLimit / 2);
        m_panel->TakeDroppedRows();
    }
    if (ViewShown() && ++m_ticksSinceRefresh >= kTicksPerViewRefresh) {
        m_ticksSinceRefresh = 0;
        m_panel->TakeNewRows();
        UpdateStatus();
    }
}

void SessionPackets::UpdateStatus() {
    QString text = tr("%1 rows").arg(m_store.RowCount() + m_store.RowsDropped());
    if (!m_writer->Path().empty() && !m_writer->Stopped()) {
        text += tr("; recording to %1").arg(FileNameToQString(m_writer->Path()));
    } else if (m_writer->Stopped() && m_preferences.recording.enabled) {
        text += tr("; recording stopped");
    }
    m_panel->SetStatusText(text);
}

void SessionPackets::ReportStoppedRecording(const std::string& reason) {
    const std::string text =
        "Session recording stopped: " + reason + ". The session goes on without it.";
    m_app.WriteAppLog(text);
    if (IsHeadlessPlatform()) {
        std::fprintf(stderr, "kestrel: %s\n", text.c_str());
        return;
    }
    // Said once, and without stopping the console: the box waits beside it.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Kestrel"),
                                FileNameToQString(text), QMessageBox::Ok, &m_host);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool SessionPackets::SelectInLogPane(size_t storeRow) {
    auto* pane = dynamic_cast<CRichtextctrl1*>(m_host.LogPane());
    const PacketRow& row = m_store.Row(storeRow);
    if (pane == nullptr || row.size == 0) {
        return false;
    }
    // The capture holds the session's last m_trafficCount bytes.
    const TrafficCapture& capture = m_app.m_capture;
    const uint64_t count = static_cast<uint64_t>(std::max(capture.m_trafficCount, 0));
    const uint64_t captureStart = m_frames.SessionBytes() - count;
    const uint64_t last = m_store.LastSessionByte(storeRow);
    if (row.sessionByte < captureStart || last >= m_frames.SessionBytes()) {
        return false;
    }
    const StyledText& rendered = m_app.m_commLogRenderer.Content();
    if (pane->Content().text.size() != rendered.text.size()) {
        return false;  // the pane shows something else (a loaded log)
    }
    const auto begin = CommLogRecordCell(rendered, capture, m_app.m_hexDisplay,
                                         static_cast<int>(row.sessionByte - captureStart));
    const auto end = CommLogRecordCell(rendered, capture, m_app.m_hexDisplay,
                                       static_cast<int>(last - captureStart));
    if (!begin || !end) {
        return false;
    }
    pane->SelectRange(begin->begin, end->end);
    return true;
}

}  // namespace kestrel
