#include "ui/CRichtextctrl1.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <algorithm>
#include <climits>
#include <cmath>

#include "commlog/CommLogFile.h"
#include "commlog/RtfPlainText.h"
#include "commlog/RtfReader.h"
#include "ui/Cp1252QString.h"
#include "ui/LogFindBar.h"
#include "ui/LogPaneNewRecordsBar.h"
#include "ui/LogPanePainter.h"
#include "ui/LogPaneScrollBar.h"

namespace kestrel {
namespace {

// The documents ask for an 8-point Courier-style font; Liberation Mono has its metrics.
constexpr const char* kPaneFontFamily = "Liberation Mono";
constexpr int kPaneFontPoints = 8;
constexpr int kCaretWidth = 1;

QFont PaneFont() {
    QFont font(kPaneFontFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(kPaneFontPoints);
    return font;
}

int ClampToInt(size_t value) {
    return static_cast<int>(std::min<size_t>(value, INT_MAX));
}

// Scroll bars count lines and columns: `total` of them, `visible` at a time. A bar whose range
// stays is left alone, so it neither moves nor repaints.
void SetScrollRange(QScrollBar* bar, size_t total, size_t visible) {
    const int maximum = ClampToInt(total - std::min(visible, total));
    if (bar->maximum() != maximum || bar->minimum() != 0) {
        bar->setRange(0, maximum);
    }
    if (bar->pageStep() != ClampToInt(visible)) {
        bar->setPageStep(ClampToInt(visible));
    }
    bar->setSingleStep(1);
}

// The new-records bar's height in lines of the pane.
constexpr double kNewRecordsBarLines = 1.8;
constexpr int kOverlayMargin = 4;

// Scrolls as little as needed to bring `position` into the `visible` positions shown.
void ScrollToShow(QScrollBar* bar, size_t position, size_t visible) {
    const auto first = static_cast<size_t>(bar->value());
    if (position < first) {
        bar->setValue(ClampToInt(position));
    } else if (position >= first + visible) {
        bar->setValue(ClampToInt(position - visible + 1));
    }
}

}  // namespace

CRichtextctrl1::CRichtextctrl1(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(PaneFont());
    m_painter = std::make_unique<LogPanePainter>(font());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    // The pane paints every pixel of what it updates: nothing behind it is painted first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_verticalBar = new LogPaneScrollBar(Qt::Vertical, this);
    setVerticalScrollBar(m_verticalBar);
    setHorizontalScrollBar(new LogPaneScrollBar(Qt::Horizontal, this));
    // The vertical bar is always shown, so the growing log's range changes need no new layout
    // of the area; each layout would also make every window up to the dialog work out again
    // what covers what.
    disconnect(verticalScrollBar(), SIGNAL(rangeChanged(int, int)), this, nullptr);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateScrollBars();

    m_newRecordsBar = new LogPaneNewRecordsBar(this);
    connect(m_newRecordsBar, &QPushButton::clicked, this, &CRichtextctrl1::FollowToEnd);
    m_findBar = new LogFindBar(this);
    connect(m_findBar, &LogFindBar::QueryChanged, this, &CRichtextctrl1::RunSearch);
    connect(m_findBar, &LogFindBar::NextRequested, this, [this] { ShowMatch(1); });
    connect(m_findBar, &LogFindBar::PreviousRequested, this, [this] { ShowMatch(-1); });
    connect(m_findBar, &LogFindBar::Closed, this, &CRichtextctrl1::CloseFind);
    auto* find = new QShortcut(QKeySequence::Find, this, this, &CRichtextctrl1::OpenFindBar);
    find->setContext(Qt::WindowShortcut);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (m_scrollingItself == 0) {
                OperatorMoved();
            }
        });
    }
}

CRichtextctrl1::~CRichtextctrl1() = default;

void CRichtextctrl1::SetRendering(const CommLogRendering& rendering) {
    // What the rendering changes is worked out before it replaces what the pane shows.
    const bool continues = m_follower.Continues(rendering);
    m_changes = continues ? CompareLines(m_content, *rendering.content, rendering.keptLines - 1)
                          : StyledTextChanges::Everything();
    m_follower.Take(rendering, m_document, m_content);
    m_documentIsRtf = true;
    const int arrived = continues ? rendering.records - rendering.keptRecords : rendering.records;
    {
        ScrollingItself guard(m_scrollingItself);
        LogPaneScrollBar::Batch batch(*m_verticalBar);
        m_caret = std::min(m_caret, m_content.text.size());
        m_anchor = std::min(m_anchor, m_content.text.size());
        UpdateScrollBars();
        if (m_following) {
            m_verticalBar->setValue(m_verticalBar->maximum());
        }
    }
    if (!m_following && arrived > 0) {
        m_newRecordsBelow += arrived;
        m_newRecordsBar->SetCount(m_newRecordsBelow);
        m_newRecordsBar->show();
        PlaceOverlays();
    }
    if (m_findBar->isVisible()) {
        RunSearch();
    }
    RepaintChanges();
}

void CRichtextctrl1::SetDocument(std::string_view rtf) {
    m_follower.Forget();
    m_document.assign(rtf);
    std::string error;
    m_documentIsRtf = ReadRtf(m_document, m_content, &error);
    if (!m_documentIsRtf) {
        ReadPlainText(m_document, m_content);  // shown as it is, as a rich text control does
    }
    ContentReplaced();
}

void CRichtextctrl1::SetSelectionStart(long position) {
    // While the operator reads back, the caret waits at their place; it goes where the system
    // puts it once the view follows again.
    if (m_following) {
        PlaceCaret(static_cast<size_t>(std::max(position, 0L)));
    }
}

void CRichtextctrl1::PlaceCaret(size_t offset) {
    const size_t size = m_content.text.size();
    const size_t oldFirst = m_content.LineAt(std::min({m_caret, m_anchor, size}));
    const size_t oldLast = m_content.LineAt(std::min(std::max(m_caret, m_anchor), size));
    const bool hadSelection = m_caret != m_anchor;
    m_caret = std::min(offset, size);
    m_anchor = m_caret;
    {
        ScrollingItself guard(m_scrollingItself);
        EnsureVisible(m_caret);
    }
    // Lines moved by a scroll were copied as they were: what the last rendering changed is
    // painted where it is now, and the lines the caret and a cleared selection left.
    const size_t caretLine = m_content.LineAt(m_caret);
    if (hadSelection) {
        RepaintLines(oldFirst, oldLast);
    } else if (hasFocus()) {
        RepaintLines(oldFirst, oldFirst);
    }
    if (hasFocus()) {
        RepaintLines(caretLine, caretLine);
    }
    RepaintChanges();
    m_changes = StyledTextChanges{};
}

void CRichtextctrl1::RepaintLines(size_t first, size_t last) {
    const size_t top = FirstVisibleLine();
    const int lineHeight = m_painter->LineHeight();
    const size_t from = std::max(first, top);
    if (last < from || from - top > static_cast<size_t>(viewport()->height() / lineHeight)) {
        return;
    }
    const int y = ClampToInt(from - top) * lineHeight;
    const int height =
        last == SIZE_MAX ? viewport()->height() - y : ClampToInt(last - from + 1) * lineHeight;
    viewport()->update(0, y, viewport()->width(), std::min(height, viewport()->height() - y));
}

void CRichtextctrl1::RepaintChanges() {
    const size_t top = FirstVisibleLine();
    const size_t rows = m_painter->VisibleLines(viewport()->height()) + 1;
    const auto left = static_cast<size_t>(horizontalScrollBar()->value());
    const int lineHeight = m_painter->LineHeight();
    for (const ChangedLine& changed : m_changes.lines) {
        if (changed.line < top || changed.line >= top + rows) {
            continue;
        }
        // One pixel more on the left for the edge of the glyph before, which may reach into it.
        const int x = changed.firstColumn <= left
                          ? 0
                          : std::max(0, static_cast<int>(std::floor(
                                            static_cast<qreal>(changed.firstColumn - left) *
                                            m_painter->CharWidth())) -
                                            1);
        if (x < viewport()->width()) {
            viewport()->update(x, ClampToInt(changed.line - top) * lineHeight,
                               viewport()->width() - x, lineHeight);
        }
    }
    if (m_changes.wholeFrom != SIZE_MAX) {
        RepaintLines(m_changes.wholeFrom, SIZE_MAX);
    }
}

bool CRichtextctrl1::ViewAtEnd() const {
    const QScrollBar* vertical = verticalScrollBar();
    return vertical->value() >= vertical->maximum();
}

void CRichtextctrl1::OperatorMoved() {
    SetFollowing(ViewAtEnd() && SelectionBegin() == SelectionEnd());
}

void CRichtextctrl1::SetFollowing(bool following) {
    if (m_following == following) {
        return;
    }
    m_following = following;
    if (following) {
        m_newRecordsBelow = 0;
        m_newRecordsBar->hide();
    }
}

void CRichtextctrl1::FollowToEnd() {
    SetFollowing(true);
    PlaceCaret(m_content.text.size());
}

void CRichtextctrl1::PlaceOverlays() {
    const QRect area = viewport()->geometry();
    const int barHeight = static_cast<int>(m_painter->LineHeight() * kNewRecordsBarLines) + 4;
    m_newRecordsBar->setGeometry(area.left(), area.bottom() + 1 - barHeight, area.width(),
                                 barHeight);
    const QSize find = m_findBar->sizeHint();
    m_findBar->setGeometry(std::max(area.left(), area.right() + 1 - find.width() - kOverlayMargin),
                           area.top() + kOverlayMargin, std::min(find.width(), area.width()),
                           find.height());
}

void CRichtextctrl1::scrollContentsBy(int dx, int dy) {
    // Whole lines move as pixels; only the lines that come into view are painted.
    if (dx == 0 && dy != 0 &&
        std::abs(dy) < ClampToInt(m_painter->VisibleLines(viewport()->height()))) {
        // Only the viewport's pixels move: it has no children, and scrolling the widget itself
        // would make every window up to the dialog work out again what covers what.
        viewport()->scroll(0, dy * m_painter->LineHeight(), viewport()->rect());
    } else {
        viewport()->update();
    }
}

void CRichtextctrl1::SetProperty5(long value) {
    m_property5 = value;
}

std::string CRichtextctrl1::Text() const {
    return m_content.text;
}

void CRichtextctrl1::SetEnabled(bool enabled) {
    setEnabled(enabled);
}

bool CRichtextctrl1::LoadFile(const std::string& path, std::string* error) {
    std::string bytes;
    if (!ReadCommLogFile(path, &bytes, error)) {
        return false;
    }
    StyledText content;
    std::string why;
    if (!ReadRtf(bytes, content, &why)) {
        *error = "Cannot load \"" + path + "\": " + why;
        return false;
    }
    m_follower.Forget();
    m_document = std::move(bytes);
    m_documentIsRtf = true;
    m_content = std::move(content);
    ContentReplaced();
    return true;
}

bool CRichtextctrl1::SaveFile(const std::string& path, std::string* error) {
    // Whatever the pane holds is saved as RTF, so the file loads again at the next start.
    return WriteCommLogFile(path, m_documentIsRtf ? m_document : PlainTextToRtf(m_content.text),
                            error);
}

size_t CRichtextctrl1::FirstVisibleLine() const {
    return static_cast<size_t>(verticalScrollBar()->value());
}

std::string CRichtextctrl1::SelectedText() const {
    return m_content.text.substr(SelectionBegin(), SelectionEnd() - SelectionBegin());
}

void CRichtextctrl1::SelectAll() {
    m_anchor = 0;
    m_caret = m_content.text.size();
    OperatorMoved();
    viewport()->update();
}

void CRichtextctrl1::SelectRange(size_t begin, size_t end) {
    SetFollowing(false);
    const size_t size = m_content.text.size();
    m_anchor = std::min(begin, size);
    m_caret = std::min(std::max(begin, end), size);
    {
        ScrollingItself guard(m_scrollingItself);
        EnsureVisible(m_anchor);
    }
    viewport()->update();
}

void CRichtextctrl1::CopySelection() const {
    if (SelectionBegin() < SelectionEnd()) {
        QGuiApplication::clipboard()->setText(Cp1252ToQString(SelectedText()));
    }
}

void CRichtextctrl1::ContentReplaced() {
    m_caret = 0;
    m_anchor = 0;
    {
        ScrollingItself guard(m_scrollingItself);
        UpdateScrollBars();
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    }
    SetFollowing(true);
    if (m_findBar->isVisible()) {
        RunSearch();
    }
    viewport()->update();
}

void CRichtextctrl1::UpdateScrollBars() {
    const QSize size = viewport()->size();
    // The horizontal range leaves room for the caret after a line's last column.
    SetScrollRange(verticalScrollBar(), m_content.LineCount(),
                   m_painter->VisibleLines(size.height()));
    SetScrollRange(horizontalScrollBar(), m_content.longestLine + 1,
                   m_painter->VisibleColumns(size.width()));
}

void CRichtextctrl1::EnsureVisible(size_t offset) {
    const QSize size = viewport()->size();
    const size_t line = m_content.LineAt(offset);
    ScrollToShow(verticalScrollBar(), line, m_painter->VisibleLines(size.height()));
    ScrollToShow(horizontalScrollBar(), offset - m_content.lineStarts[line],
                 m_painter->VisibleColumns(size.width()));
}

size_t CRichtextctrl1::OffsetAt(const QPoint& point) const {
    const size_t row = static_cast<size_t>(std::max(0, point.y()) / m_painter->LineHeight());
    const size_t line = std::min(FirstVisibleLine() + row, m_content.LineCount() - 1);
    const auto cell =
        static_cast<size_t>(std::max<qreal>(0, std::round(point.x() / m_painter->CharWidth())));
    const size_t column = std::min(static_cast<size_t>(horizontalScrollBar()->value()) + cell,
                                   m_content.Line(line).size());
    return m_content.lineStarts[line] + column;
}

void CRichtextctrl1::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    LogPaneView view;
    view.firstLine = FirstVisibleLine();
    view.firstColumn = static_cast<size_t>(horizontalScrollBar()->value());
    view.size = viewport()->size();
    view.selectionBegin = SelectionBegin();
    view.selectionEnd = SelectionEnd();
    view.matches = &m_matches;
    view.currentMatch = m_currentMatch;
    // Each rectangle of the update is painted on its own, so a row whose end changed draws only
    // the glyphs of that end.
    for (const QRect& area : event->region()) {
        painter.fillRect(area, palette().color(QPalette::Base));
        view.paintArea = area;
        m_painter->Paint(painter, m_content, view, palette());
    }
    if (hasFocus()) {
        const size_t line = m_content.LineAt(m_caret);
        const size_t column = m_caret - m_content.lineStarts[line];
        if (line >= view.firstLine && column >= view.firstColumn) {
            const qreal x = static_cast<qreal>(column - view.firstColumn) * m_painter->CharWidth();
            const int y = static_cast<int>(line - view.firstLine) * m_painter->LineHeight();
            painter.fillRect(QRectF(x, y, kCaretWidth, m_painter->LineHeight()),
                             palette().color(QPalette::Text));
        }
    }
}

void CRichtextctrl1::resizeEvent(QResizeEvent* event) {
    // A view that showed the end of the log keeps showing it, as new bytes arrive at the end.
    const QScrollBar* vertical = verticalScrollBar();
    const bool atEnd = vertical->value() == vertical->maximum();
    QAbstractScrollArea::resizeEvent(event);
    ScrollingItself guard(m_scrollingItself);
    UpdateScrollBars();
    if (atEnd) {
        verticalScrollBar()->setValue(vertical->maximum());
    }
    PlaceOverlays();
}

void CRichtextctrl1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_painter = std::make_unique<LogPanePainter>(font());
        UpdateScrollBars();
    }
    QAbstractScrollArea::changeEvent(event);
}

void CRichtextctrl1::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        PlaceCaret(m_content.text.size());
        OperatorMoved();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        PlaceCaret(0);
        OperatorMoved();
    } else if (event->key() == Qt::Key_Escape && m_findBar->isVisible()) {
        CloseFind();
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CRichtextctrl1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_caret = OffsetAt(event->position().toPoint());
        if (!(event->modifiers() & Qt::ShiftModifier)) {
            m_anchor = m_caret;
        }
        OperatorMoved();
        viewport()->update();
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CRichtextctrl1::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        m_caret = OffsetAt(event->position().toPoint());
        {
            ScrollingItself guard(m_scrollingItself);
            EnsureVisible(m_caret);
        }
        OperatorMoved();
        viewport()->update();
    }
}

void CRichtextctrl1::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"), this, &CRichtextctrl1::CopySelection);
    copy->setEnabled(SelectionBegin() < SelectionEnd());
    menu.addAction(tr("Select &All"), this, &CRichtextctrl1::SelectAll);
    menu.addSeparator();
    QAction* find = menu.addAction(tr("&Find..."), this, &CRichtextctrl1::OpenFindBar);
    find->setShortcut(QKeySequence::Find);
    menu.exec(event->globalPos());
}

}  // namespace kestrel
