// The console's window grows: resizable and maximisable, never smaller than its template. Every
// control keeps its place and size except the log pane, which takes the extra room, and the two
// picture areas, which take it while the pane is hidden. The pane widens only while nothing
// shown stands to its right. The window's size and placement are kept between runs in a file
// of ours under the user's state folder.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <string>

class QWidget;

namespace kestrel {

class ConsoleResizeLayout : public QObject {
  public:
    // `window` holds the template's controls at their template places; `pane` is the log pane
    // (may be null). `baseSize` is the template's size, `pictureAreas` the two picture areas as
    // drawn for it.
    ConsoleResizeLayout(QWidget& window, QWidget* pane, QSize baseSize, QRect previewArea,
                        QRect bottomArea);

    // Lays the pane out for the window's current size.
    void Apply();
    // A picture area drawn for the template, as the window's size makes it.
    QRect PictureArea(const QRect& templateArea) const;
    QSize Extra() const;
    // Restores the placement kept in `path` and keeps it there whenever the window is hidden.
    void RememberPlacementIn(std::string path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool RoomToTheRight(const QRect& band) const;
    // The right edge `area` takes: moved by the extra width where nothing shown stands beside.
    int WidenedRight(const QRect& area) const;

    QWidget& m_window;
    QWidget* m_pane;
    QSize m_baseSize;
    QRect m_paneArea;
    QRect m_previewArea;
    QRect m_bottomArea;
    int m_pictureWidening = 0;
    bool m_applyQueued = false;
    std::string m_placementPath;
};

// Where the console's size and placement are kept: $XDG_STATE_HOME/Norvane/Kestrel/.
std::string ConsolePlacementPath();
// Saves and restores a window's size, placement and maximised state; false when that fails.
bool SaveWindowPlacement(const QWidget& window, const std::string& path);
bool RestoreWindowPlacement(QWidget& window, const std::string& path);

}  // namespace kestrel
