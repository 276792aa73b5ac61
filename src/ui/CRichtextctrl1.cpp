#include "ui/CRichtextctrl1.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

#include "commlog/CommLogFile.h"
#include "commlog/RtfPlainText.h"
#include "commlog/RtfReader.h"
#include "ui/Cp1252QString.h"
#include "ui/LogPanePainter.h"

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

// Scroll bars count lines and columns: `total` of them, `visible` at a time.
void SetScrollRange(QScrollBar* bar, size_t total, size_t visible) {
    bar->setRange(0, ClampToInt(total - std::min(visible, total)));
    bar->setPageStep(ClampToInt(visible));
    bar->setSingleStep(1);
}

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
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateScrollBars();
}

CRichtextctrl1::~CRichtextctrl1() = default;

void CRichtextctrl1::SetDocument(std::string_view rtf) {
    m_document.assign(rtf);
    std::string error;
    m_documentIsRtf = ReadRtf(m_document, m_content, &error);
    if (!m_documentIsRtf) {
        ReadPlainText(m_document, m_content);  // shown as it is, as a rich text control does
    }
    ContentReplaced();
}

void CRichtextctrl1::SetSelectionStart(long position) {
    m_caret = std::min(static_cast<size_t>(std::max(position, 0L)), m_content.text.size());
    m_anchor = m_caret;
    EnsureVisible(m_caret);
    viewport()->update();
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
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
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

void CRichtextctrl1::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    LogPaneView view;
    view.firstLine = FirstVisibleLine();
    view.firstColumn = static_cast<size_t>(horizontalScrollBar()->value());
    view.size = viewport()->size();
    view.selectionBegin = SelectionBegin();
    view.selectionEnd = SelectionEnd();
    m_painter->Paint(painter, m_content, view, palette());
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
    UpdateScrollBars();
    if (atEnd) {
        verticalScrollBar()->setValue(vertical->maximum());
    }
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
        SetSelectionStart(static_cast<long>(std::min<size_t>(m_content.text.size(), LONG_MAX)));
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        SetSelectionStart(0);
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
        viewport()->update();
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CRichtextctrl1::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        m_caret = OffsetAt(event->position().toPoint());
        EnsureVisible(m_caret);
        viewport()->update();
    }
}

void CRichtextctrl1::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"), this, &CRichtextctrl1::CopySelection);
    copy->setEnabled(SelectionBegin() < SelectionEnd());
    menu.addAction(tr("Select &All"), this, &CRichtextctrl1::SelectAll);
    menu.exec(event->globalPos());
}

}  // namespace kestrel
