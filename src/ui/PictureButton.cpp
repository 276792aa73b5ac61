#include "ui/PictureButton.h"

#include <QPainter>

#include "ui/Artwork.h"

namespace kestrel {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool PictureButton::SetImages(const std::string& imageBase) {
    m_imageBase = imageBase;
    setAccessibleName(ButtonImageWords(imageBase));
    // All three are loaded even when one is missing, so the button shows what there is.
    const bool up = m_up.load(ButtonImagePath(imageBase + "U"));
    const bool down = m_down.load(ButtonImagePath(imageBase + "D"));
    const bool focused = m_focused.load(ButtonImagePath(imageBase + "F"));
    const bool loaded = up && down && focused;
    if (!m_up.isNull()) {
        resize(m_up.size());
    }
    update();
    return loaded;
}

QSize PictureButton::sizeHint() const {
    return m_up.isNull() ? QAbstractButton::sizeHint() : m_up.size();
}

const QPixmap& PictureButton::CurrentImage() const {
    if (!isEnabled()) {
        return m_up;
    }
    if (isDown() && !m_down.isNull()) {
        return m_down;
    }
    if (hasFocus() && !m_focused.isNull()) {
        return m_focused;
    }
    return m_up;
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPixmap& image = CurrentImage();
    if (!image.isNull()) {
        painter.drawPixmap(0, 0, image);
    }
}

}  // namespace kestrel
