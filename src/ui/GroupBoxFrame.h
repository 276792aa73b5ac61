// A group box as the dialog platform draws one: an etched frame whose top line runs through the
// middle of the title, the title on the dialog's colour inside the box's own rectangle, and the
// inside left clear, so what lies under and within the box shows through.
#pragma once

#include <QString>
#include <QWidget>

namespace kestrel {

class GroupBoxFrame : public QWidget {
    Q_OBJECT

  public:
    GroupBoxFrame(const QString& title, QWidget* parent);

    void SetTitle(const QString& title);
    const QString& Title() const { return m_title; }
    // Where the title is drawn, in the box's coordinates; empty without a title.
    QRect TitleRect() const;
    // The room the title has between the frame's two top corners.
    QRect TitleRoom() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_title;
};

}  // namespace kestrel
