// An owner-drawn button that shows one of three images: up, down (pressed) and focused. A
// disabled button shows the up image, as there are no disabled images.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <string>

namespace kestrel {

class PictureButton : public QAbstractButton {
    Q_OBJECT

  public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Takes the images `imageBase` + "U", "D" and "F" from the resources and takes the up
    // image's size; false when an image is missing (the button then shows what it can).
    bool SetImages(const std::string& imageBase);
    const std::string& ImageBase() const { return m_imageBase; }
    QSize sizeHint() const override;

    // The image the button shows in its present state.
    const QPixmap& CurrentImage() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string m_imageBase;
    QPixmap m_up;
    QPixmap m_down;
    QPixmap m_focused;
};

}  // namespace kestrel
