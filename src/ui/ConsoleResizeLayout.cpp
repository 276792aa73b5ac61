#include "ui/ConsoleResizeLayout.h"

#include <QEvent>
#include <QWidget>

#include "platform/AtomicFile.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

constexpr const char* kPlacementFile = "/Norvane/Kestrel/console-window";
constexpr size_t kPlacementFileMax = 4096;

}  // namespace

ConsoleResizeLayout::ConsoleResizeLayout(QWidget& window, QWidget* pane, QSize baseSize,
                                         QRect previewArea, QRect bottomArea)
    : QObject(&window),
      m_window(window),
      m_pane(pane),
      m_baseSize(baseSize),
      m_paneArea(pane != nullptr ? pane->geometry() : QRect()),
      m_previewArea(previewArea),
      m_bottomArea(bottomArea) {
    m_window.setMinimumSize(baseSize);
    m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_window.installEventFilter(this);
    // A control shown or hidden (a mode's group) may free or take the room beside the pane.
    for (QObject* child : m_window.children()) {
        if (child->isWidgetType() && child != m_pane) {
            child->installEventFilter(this);
        }
    }
}

QSize ConsoleResizeLayout::Extra() const {
    return QSize(std::max(0, m_window.width() - m_baseSize.width()),
                 std::max(0, m_window.height() - m_baseSize.height()));
}

bool ConsoleResizeLayout::RoomToTheRight(const QRect& band) const {
    for (QObject* child : m_window.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == m_pane || widget->isWindow() || widget->isHidden()) {
            continue;
        }
        if (widget->geometry().intersects(band)) {
            return false;
        }
    }
    return true;
}

int ConsoleResizeLayout::WidenedRight(const QRect& area) const {
    const int extra = Extra().width();
    const QRect band(area.right() + 1, area.top(), extra, area.height() + Extra().height());
    return extra > 0 && RoomToTheRight(band) ? area.right() + extra : area.right();
}

void ConsoleResizeLayout::Apply() {
    if (m_pane != nullptr) {
        QRect area = m_paneArea;
        area.setHeight(area.height() + Extra().height());
        area.setRight(WidenedRight(area));
        if (m_pane->geometry() != area) {
            m_pane->setGeometry(area);
        }
    }
    const QRect pictures = m_previewArea.united(m_bottomArea);
    const int widening = WidenedRight(pictures) - pictures.right();
    if (widening != m_pictureWidening) {
        m_pictureWidening = widening;
        m_window.update();
    }
}

QRect ConsoleResizeLayout::PictureArea(const QRect& templateArea) const {
    const QSize extra = Extra();
    const int width = m_pictureWidening;
    const int half = extra.height() / 2;
    if (templateArea == m_previewArea) {
        return templateArea.adjusted(0, 0, width, half);
    }
    if (templateArea == m_bottomArea) {
        return templateArea.adjusted(0, half, width, extra.height());
    }
    return templateArea;
}

void ConsoleResizeLayout::RememberPlacementIn(std::string path) {
    m_placementPath = std::move(path);
    RestoreWindowPlacement(m_window, m_placementPath);
}

bool ConsoleResizeLayout::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &m_window && type == QEvent::Hide && !m_placementPath.empty()) {
        SaveWindowPlacement(m_window, m_placementPath);
    }
    if (watched == &m_window && type == QEvent::Resize) {
        Apply();
    } else if (watched != &m_window &&
               (type == QEvent::ShowToParent || type == QEvent::HideToParent) && !m_applyQueued) {
        // A mode shows or hides its group a control at a time, and a control counts as shown
        // only once its show is done: lay out once, when the whole change is over.
        m_applyQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_applyQueued = false;
                Apply();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

std::string ConsolePlacementPath() {
    const std::string state = XdgBaseFolder("XDG_STATE_HOME", ".local/state");
    return state.empty() ? std::string() : state + kPlacementFile;
}

bool SaveWindowPlacement(const QWidget& window, const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const QByteArray bytes = window.saveGeometry();
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
        return false;
    }
    return WriteFileAtomically(path,
                               std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool RestoreWindowPlacement(QWidget& window, const std::string& path) {
    std::string bytes;
    if (path.empty() || !ReadBoundedFile(path, &bytes, kPlacementFileMax)) {
        return false;
    }
    return window.restoreGeometry(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace kestrel
