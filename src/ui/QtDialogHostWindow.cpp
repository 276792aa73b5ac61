// The dialog's window as a whole: timers, pictures, picture buttons and the window's state.
#include <QImageReader>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "console/ConsoleGroups.h"
#include "platform/AtomicFile.h"
#include "ui/Artwork.h"
#include "ui/CRichtextctrl1.h"
#include "ui/ConsoleResizeLayout.h"
#include "ui/HostText.h"
#include "ui/PictureButton.h"
#include "ui/QtDialogHost.h"
#include "ui/TemplateControls.h"

namespace kestrel {
namespace {

// The longest side of a picture that is decoded; pictures are drawn in areas of 500 x 235.
constexpr int kPictureSideMax = 8192;

}  // namespace
namespace {

// The platform clamps timer periods to this range.
constexpr uint32_t kMinimumTimerMs = 10;
constexpr uint32_t kMaximumTimerMs = 0x7FFFFFFF;
constexpr uint32_t kCoarseBelowMs = 1000;
constexpr int kIconPixels = 32;

}  // namespace

void QtDialogHost::SetUpWindowSize() {
    const QSize base = m_units.ToPixels(0, 0, m_template.width, m_template.height).size();
    if (!m_template.minimiseMaximiseBoxes) {
        setFixedSize(base);
        return;
    }
    resize(base);
    m_resizeLayout =
        new ConsoleResizeLayout(*this, m_logPane, base, m_units.ScaleBasePixels(kPreviewRect),
                                m_units.ScaleBasePixels(kBottomPictureRect));
    if (!IsHeadlessPlatform()) {
        m_resizeLayout->RememberPlacementIn(ConsolePlacementPath());
    }
}

QRect QtDialogHost::PictureArea(const ClientRect& rect) const {
    const QRect scaled = m_units.ScaleBasePixels(rect);
    return m_resizeLayout != nullptr ? m_resizeLayout->PictureArea(scaled) : scaled;
}

void QtDialogHost::SetTimer(int id, uint32_t periodMs) {
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (m_events != nullptr) {
                m_events->OnTimer(id);
            }
        });
    }
    // Window timers keep to the system's tick, not to the millisecond: short periods are coarse
    // (a few percent off), so the console's ticks share their wake-ups. Long ones (a ticket
    // repeated every 20 s) stay precise, where coarse could be a second off.
    timer->setTimerType(periodMs < kCoarseBelowMs ? Qt::CoarseTimer : Qt::PreciseTimer);
    timer->start(static_cast<int>(std::clamp(periodMs, kMinimumTimerMs, kMaximumTimerMs)));
}

void QtDialogHost::KillTimer(int id) {
    // Only stopped: the timer may be the one whose tick is running.
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) {
        found->second->stop();
    }
}

bool QtDialogHost::IsTimerArmed(int id) const {
    const auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

int QtDialogHost::TimerInterval(int id) const {
    const auto found = m_timers.find(id);
    return found == m_timers.end() ? 0 : found->second->interval();
}

int QtDialogHost::TimerRemainingMs(int id) const {
    const auto found = m_timers.find(id);
    return found == m_timers.end() ? -1 : found->second->remainingTime();
}

void QtDialogHost::SetButtonImages(int id, const std::string& imageBase) {
    if (auto* button = qobject_cast<PictureButton*>(Control(id))) {
        button->SetImages(imageBase);
    }
}

QImage& QtDialogHost::Picture(PictureSlot slot) {
    return slot == PictureSlot::Preview ? m_previewPicture : m_bottomPicture;
}

bool QtDialogHost::LoadPicture(PictureSlot slot, const std::string& path) {
    // Only a regular file is read (a FIFO would block the window), and an image is decoded only
    // when its claimed size is one a picture area can use.
    if (!IsRegularFile(path)) {
        return false;
    }
    QImageReader reader(FileNameToQString(path));
    const QSize claimed = reader.size();
    if (!claimed.isValid() || claimed.width() > kPictureSideMax ||
        claimed.height() > kPictureSideMax) {
        return false;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    Picture(slot) = image;
    return true;
}

void QtDialogHost::ClearPicture(PictureSlot slot) {
    Picture(slot) = QImage();
}

void QtDialogHost::DrawPicture(PictureSlot slot, const ClientRect& rect) {
    const QImage& image = Picture(slot);
    if (m_painter != nullptr && !image.isNull()) {
        m_painter->drawImage(PictureArea(rect), image);
    }
}

void QtDialogHost::DrawIconCentred() {
    if (m_painter == nullptr) {
        return;
    }
    const QPixmap icon = KestrelIcon().pixmap(kIconPixels, kIconPixels);
    m_painter->drawPixmap((width() - icon.width() + 1) / 2, (height() - icon.height() + 1) / 2,
                          icon);
}

void QtDialogHost::InvalidateRect(const ClientRect& rect, bool /*erase*/) {
    update(PictureArea(rect));
}

void QtDialogHost::RedrawWindow(bool /*erase*/) {
    update();
}

void QtDialogHost::RepaintNow() {
    repaint();  // paints at once, children included; the event queue is left alone
}

void QtDialogHost::RepaintItemNow(int id) {
    // repaint() paints and flushes to the screen at once, without a trip through the event loop.
    if (QWidget* widget = Control(id); widget != nullptr && widget->isVisible()) {
        widget->repaint();
    }
}

void QtDialogHost::SetWindowState(WindowState state) {
    if (m_neverShown) {
        return;
    }
    switch (state) {
        case WindowState::Hidden:
            hide();
            break;
        case WindowState::Normal:
            setWindowState(windowState() & ~Qt::WindowMinimized);
            if (m_running) {
                show();
            }
            break;
        case WindowState::MinimizedNoActivate:
            setAttribute(Qt::WA_ShowWithoutActivating);
            setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
            if (m_running) {
                show();
            }
            break;
    }
}

bool QtDialogHost::IsMinimized() const {
    return (windowState() & Qt::WindowMinimized) != 0;
}

}  // namespace kestrel
