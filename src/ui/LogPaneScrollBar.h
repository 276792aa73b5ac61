// The log pane's scroll bars: a bar repaints only what a change of its range or value changed.
// A log of thousands of lines that grows by a few moves the slider by less than a pixel, so most
// refreshes leave the bar as it is, and the others paint only where the slider was and is, with
// the pane's frame and the dialog behind the bar.
#pragma once

#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <optional>

namespace kestrel {

class LogPaneScrollBar : public QScrollBar {
    Q_OBJECT

  public:
    LogPaneScrollBar(Qt::Orientation orientation, QWidget* parent);

    // A new range and a value that follows it, set together: what they change is worked out
    // once at the end, so the state between them (the slider a pixel off the end) paints nothing.
    class Batch {
      public:
        explicit Batch(LogPaneScrollBar& bar) : m_bar(bar) { ++m_bar.m_batchDepth; }
        ~Batch() { m_bar.EndBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        LogPaneScrollBar& m_bar;
    };

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // What a paint of the bar shows that a range or value change can alter; the mouse and the
    // widget's state repaint the bar by their own events.
    struct Shown {
        QRect slider;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Shown&) const = default;
    };
    Shown WhatIsShown() const;
    QRect SubControlRect(QStyle::SubControl control) const;
    bool LeftToTheStyle() const;
    void RepaintWhatChanged();
    void EndBatch();

    std::optional<Shown> m_painted;
    int m_batchDepth = 0;
};

}  // namespace kestrel
