// Draws the log pane's visible lines on a fixed column grid: the glyphs of each code page 1252
// character are looked up once per font, and each paint draws one glyph run per style, so a
// full view costs a handful of draw calls whatever the document's size.
#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QPalette>
#include <QRawFont>
#include <QRect>
#include <QSize>
#include <QVector>
#include <array>
#include <climits>
#include <cstddef>
#include <vector>

#include "commlog/LogSearch.h"
#include "commlog/StyledText.h"

class QPainter;

namespace kestrel {

// What part of the content to draw and where the selection lies (text offsets, end excluded).
struct LogPaneView {
    size_t firstLine = 0;
    size_t firstColumn = 0;
    QSize size;
    // The pixels to paint (an update of only what changed); empty: the whole view.
    QRect paintArea;
    size_t selectionBegin = 0;
    size_t selectionEnd = 0;
    const LogSearchResult* matches = nullptr;
    int currentMatch = -1;
};

class LogPanePainter {
  public:
    explicit LogPanePainter(const QFont& font);

    qreal CharWidth() const { return m_charWidth; }
    int LineHeight() const { return m_lineHeight; }
    size_t VisibleLines(int height) const;
    size_t VisibleColumns(int width) const;

    void Paint(QPainter& painter, const StyledText& content, const LogPaneView& view,
               const QPalette& palette) const;

  private:
    struct StyleBucket {
        uint16_t colour = 0;
        uint8_t bold = 0;
        QVector<quint32> glyphs;
        QVector<QPointF> positions;
    };

    StyleBucket& BucketFor(uint16_t colour, uint8_t bold) const;
    QColor ColourOf(const StyledText& content, uint16_t index, const QPalette& palette) const;
    // The lines of the content that the view's paint area covers.
    std::pair<size_t, size_t> LinesToPaint(const StyledText& content,
                                           const LogPaneView& view) const;
    // The columns of the view (counted from its first) that the paint area covers, with the
    // glyph on each side whose edge may reach into it.
    std::pair<size_t, size_t> ColumnsToPaint(const LogPaneView& view) const;
    void PaintMatches(QPainter& painter, const StyledText& content, const LogPaneView& view) const;
    void PaintSelection(QPainter& painter, const StyledText& content, const LogPaneView& view,
                        const QPalette& palette) const;
    void PaintText(QPainter& painter, const StyledText& content, const LogPaneView& view,
                   const QPalette& palette) const;

    QFont m_font;
    QFont m_boldFont;
    QRawFont m_regular;
    QRawFont m_bold;
    std::array<quint32, 256> m_regularGlyphs{};
    std::array<quint32, 256> m_boldGlyphs{};
    qreal m_charWidth = 1;
    int m_lineHeight = 1;
    int m_ascent = 0;
    // Kept between paints so painting allocates nothing once warmed up.
    mutable std::vector<StyleBucket> m_buckets;
};

}  // namespace kestrel
