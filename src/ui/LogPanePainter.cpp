#include "ui/LogPanePainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

#include "commlog/Cp1252.h"
#include "ui/Cp1252QString.h"

namespace kestrel {
namespace {

constexpr int kCodePageSize = 256;
constexpr int kSelectionAlpha = 90;  // the selection tints the background; text keeps its colour
// Matches of find: every one on yellow, the current one on orange (the log's unused colours).
const QColor kMatchColour(255, 255, 0);
const QColor kCurrentMatchColour(255, 153, 0);

void FillGlyphTable(const QRawFont& font, std::array<quint32, kCodePageSize>& table) {
    QString characters;
    characters.reserve(kCodePageSize);
    for (int byte = 0; byte < kCodePageSize; ++byte) {
        characters.append(QChar(Cp1252ToUnicode(static_cast<uint8_t>(byte))));
    }
    const QList<quint32> glyphs = font.glyphIndexesForString(characters);
    for (int byte = 0; byte < kCodePageSize && byte < glyphs.size(); ++byte) {
        table[byte] = glyphs[byte];
    }
}

}  // namespace

LogPanePainter::LogPanePainter(const QFont& font) : m_font(font), m_boldFont(font) {
    m_boldFont.setBold(true);
    const QFontMetricsF metrics(m_font);
    // One advance for every character, bold or not, so the three rows stay in their columns.
    m_charWidth = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_lineHeight = std::max(1, static_cast<int>(std::ceil(metrics.height())));
    m_ascent = static_cast<int>(std::ceil(metrics.ascent()));
    m_regular = QRawFont::fromFont(m_font);
    m_bold = QRawFont::fromFont(m_boldFont);
    if (m_regular.isValid() && m_bold.isValid()) {
        FillGlyphTable(m_regular, m_regularGlyphs);
        FillGlyphTable(m_bold, m_boldGlyphs);
    }
}

size_t LogPanePainter::VisibleLines(int height) const {
    return static_cast<size_t>(std::max(1, height / m_lineHeight));
}

size_t LogPanePainter::VisibleColumns(int width) const {
    return static_cast<size_t>(std::max<qreal>(1, std::floor(width / m_charWidth)));
}

LogPanePainter::StyleBucket& LogPanePainter::BucketFor(uint16_t colour, uint8_t bold) const {
    for (StyleBucket& bucket : m_buckets) {
        if (bucket.colour == colour && bucket.bold == bold) {
            return bucket;
        }
    }
    StyleBucket& added = m_buckets.emplace_back();
    added.colour = colour;
    added.bold = bold;
    return added;
}

QColor LogPanePainter::ColourOf(const StyledText& content, uint16_t index,
                                const QPalette& palette) const {
    if (index == 0 || index >= content.colours.size() || content.colours[index].automatic) {
        return palette.color(QPalette::Text);
    }
    const TextColour& colour = content.colours[index];
    return QColor(colour.red, colour.green, colour.blue);
}

void LogPanePainter::Paint(QPainter& painter, const StyledText& content, const LogPaneView& view,
                           const QPalette& palette) const {
    PaintMatches(painter, content, view);
    PaintSelection(painter, content, view, palette);
    PaintText(painter, content, view, palette);
}

std::pair<size_t, size_t> LogPanePainter::LinesToPaint(const StyledText& content,
                                                       const LogPaneView& view) const {
    const QRect area = view.paintArea.isEmpty() ? QRect(QPoint(0, 0), view.size) : view.paintArea;
    const size_t top = static_cast<size_t>(std::max(0, area.top()) / m_lineHeight);
    const size_t rows = VisibleLines(view.size.height()) + 1;
    const size_t bottom =
        std::min(rows, static_cast<size_t>(std::max(0, area.bottom()) / m_lineHeight) + 1);
    return {std::min(content.LineCount(), view.firstLine + top),
            std::min(content.LineCount(), view.firstLine + bottom)};
}

std::pair<size_t, size_t> LogPanePainter::ColumnsToPaint(const LogPaneView& view) const {
    const size_t columns = VisibleColumns(view.size.width()) + 1;
    if (view.paintArea.isEmpty()) {
        return {0, columns};
    }
    const auto left = static_cast<size_t>(std::max(0, view.paintArea.left()) / m_charWidth);
    const auto right = static_cast<size_t>(std::max(0, view.paintArea.right()) / m_charWidth);
    return {left == 0 ? 0 : left - 1, std::min(columns, right + 2)};
}

void LogPanePainter::PaintMatches(QPainter& painter, const StyledText& content,
                                  const LogPaneView& view) const {
    if (view.matches == nullptr || view.matches->spans.empty()) {
        return;
    }
    const auto [firstLine, lastLine] = LinesToPaint(content, view);
    if (firstLine >= lastLine) {
        return;
    }
    const std::vector<MatchSpan>& spans = view.matches->spans;
    const auto from = static_cast<uint32_t>(content.lineStarts[firstLine]);
    auto span = std::lower_bound(
        spans.begin(), spans.end(), from,
        [](const MatchSpan& s, uint32_t offset) { return s.offset + s.length <= offset; });
    const size_t endOffset =
        lastLine < content.LineCount() ? content.lineStarts[lastLine] : content.text.size();
    for (; span != spans.end() && span->offset < endOffset; ++span) {
        const size_t line = content.LineAt(span->offset);
        const qreal left = (static_cast<qreal>(span->offset - content.lineStarts[line]) -
                            static_cast<qreal>(view.firstColumn)) *
                           m_charWidth;
        const bool current =
            view.currentMatch >= 0 && span->match == static_cast<uint32_t>(view.currentMatch);
        painter.fillRect(QRectF(left, static_cast<qreal>((line - view.firstLine) * m_lineHeight),
                                static_cast<qreal>(span->length) * m_charWidth, m_lineHeight),
                         current ? kCurrentMatchColour : kMatchColour);
    }
}

void LogPanePainter::PaintSelection(QPainter& painter, const StyledText& content,
                                    const LogPaneView& view, const QPalette& palette) const {
    if (view.selectionBegin >= view.selectionEnd) {
        return;
    }
    QColor tint = palette.color(QPalette::Highlight);
    tint.setAlpha(kSelectionAlpha);
    const auto [firstLine, lastLine] = LinesToPaint(content, view);
    for (size_t line = firstLine; line < lastLine; ++line) {
        const size_t start = content.lineStarts[line];
        // The line feed counts as one selected cell, so selected empty lines show.
        const size_t end = start + content.Line(line).size() + 1;
        const size_t begin = std::max(view.selectionBegin, start);
        const size_t finish = std::min(view.selectionEnd, end);
        if (begin >= finish) {
            continue;
        }
        const qreal left =
            (static_cast<qreal>(begin - start) - static_cast<qreal>(view.firstColumn)) *
            m_charWidth;
        const qreal width = static_cast<qreal>(finish - begin) * m_charWidth;
        painter.fillRect(QRectF(left, static_cast<qreal>((line - view.firstLine) * m_lineHeight),
                                width, m_lineHeight),
                         tint);
    }
}

void LogPanePainter::PaintText(QPainter& painter, const StyledText& content,
                               const LogPaneView& view, const QPalette& palette) const {
    if (content.runs.empty()) {
        return;
    }
    const bool glyphRuns = m_regular.isValid() && m_bold.isValid();
    for (StyleBucket& bucket : m_buckets) {
        bucket.glyphs.clear();
        bucket.positions.clear();
    }
    const auto [fromColumn, toColumn] = ColumnsToPaint(view);
    const auto [firstLine, lastLine] = LinesToPaint(content, view);
    for (size_t line = firstLine; line < lastLine; ++line) {
        const std::string_view text = content.Line(line);
        if (view.firstColumn + fromColumn >= text.size()) {
            continue;
        }
        const size_t start = content.lineStarts[line];
        const size_t begin = start + view.firstColumn;
        const size_t paintFrom = begin + fromColumn;
        const size_t end = start + std::min(text.size(), view.firstColumn + toColumn);
        const qreal baseline =
            static_cast<qreal>((line - view.firstLine) * m_lineHeight + m_ascent);
        size_t run = content.RunAt(paintFrom);
        for (size_t offset = paintFrom; offset < end; ++run) {
            const StyleRun& style = content.runs[run];
            const size_t runEnd = run + 1 < content.runs.size()
                                      ? std::min<size_t>(end, content.runs[run + 1].start)
                                      : end;
            if (!glyphRuns) {
                painter.setFont(style.bold != 0 ? m_boldFont : m_font);
                painter.setPen(ColourOf(content, style.colour, palette));
                painter.drawText(
                    QPointF(static_cast<qreal>(offset - begin) * m_charWidth, baseline),
                    Cp1252ToQString(
                        std::string_view(content.text).substr(offset, runEnd - offset)));
                offset = runEnd;
                continue;
            }
            StyleBucket& bucket = BucketFor(style.colour, style.bold);
            const auto& table = style.bold != 0 ? m_boldGlyphs : m_regularGlyphs;
            for (; offset < runEnd; ++offset) {
                const auto c = static_cast<uint8_t>(content.text[offset]);
                if (c != ' ') {
                    bucket.glyphs.append(table[c]);
                    bucket.positions.append(
                        QPointF(static_cast<qreal>(offset - begin) * m_charWidth, baseline));
                }
            }
        }
    }
    for (const StyleBucket& bucket : m_buckets) {
        if (bucket.glyphs.isEmpty()) {
            continue;
        }
        QGlyphRun glyphRun;
        glyphRun.setRawFont(bucket.bold != 0 ? m_bold : m_regular);
        glyphRun.setGlyphIndexes(bucket.glyphs);
        glyphRun.setPositions(bucket.positions);
        painter.setPen(ColourOf(content, bucket.colour, palette));
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
}

}  // namespace kestrel
