#include "ui/LogFindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace kestrel {
namespace {

constexpr int kQueryWidthChars = 22;
constexpr int kCountWidthChars = 14;
constexpr int kMargin = 3;

QToolButton* BarButton(QWidget* parent, Qt::ArrowType arrow, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

LogFindBar::LogFindBar(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);

    m_query = new QLineEdit(this);
    m_query->setPlaceholderText(tr("Find in the log"));
    m_query->setClearButtonEnabled(true);
    m_query->setMinimumWidth(fontMetrics().averageCharWidth() * kQueryWidthChars);
    m_query->installEventFilter(this);
    m_hex = new QCheckBox(tr("Hex bytes"), this);
    m_hex->setToolTip(tr("Look for bytes written in hex, as \"02 12\" or \"0212\""));
    m_hex->setFocusPolicy(Qt::NoFocus);
    m_count = new QLabel(this);
    m_count->setMinimumWidth(fontMetrics().averageCharWidth() * kCountWidthChars);
    m_previous = BarButton(this, Qt::UpArrow, tr("Previous match (Shift+Enter)"));
    m_next = BarButton(this, Qt::DownArrow, tr("Next match (Enter)"));
    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("\u2715"));
    m_close->setToolTip(tr("Close (Escape)"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);

    layout->addWidget(m_query);
    layout->addWidget(m_hex);
    layout->addWidget(m_count);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_close);

    connect(m_query, &QLineEdit::textChanged, this, &LogFindBar::QueryChanged);
    connect(m_hex, &QCheckBox::toggled, this, &LogFindBar::QueryChanged);
    connect(m_previous, &QToolButton::clicked, this, &LogFindBar::PreviousRequested);
    connect(m_next, &QToolButton::clicked, this, &LogFindBar::NextRequested);
    connect(m_close, &QToolButton::clicked, this, &LogFindBar::Close);
    hide();
}

void LogFindBar::Open() {
    show();
    raise();
    m_query->setFocus(Qt::ShortcutFocusReason);
    m_query->selectAll();
}

QString LogFindBar::Query() const {
    return m_query->text();
}

bool LogFindBar::HexBytes() const {
    return m_hex->isChecked();
}

void LogFindBar::SetHexBytes(bool hex) {
    m_hex->setChecked(hex);
}

void LogFindBar::SetQuery(const QString& query) {
    m_query->setText(query);
}

void LogFindBar::ShowCount(int current, size_t count) {
    if (count == 0) {
        m_count->setText(Query().isEmpty() ? QString() : tr("No matches"));
    } else if (current < 0) {
        m_count->setText(count == 1 ? tr("1 match") : tr("%1 matches").arg(count));
    } else {
        m_count->setText(tr("%1 of %2").arg(current + 1).arg(count));
    }
}

void LogFindBar::ShowProblem(const QString& problem) {
    m_count->setText(problem);
}

QString LogFindBar::CountText() const {
    return m_count->text();
}

void LogFindBar::Close() {
    hide();
    emit Closed();
}

// Enter and Escape belong to the bar while it has the focus: the dialog around the pane would
// take Enter for its default button and Escape for closing the whole window.
bool LogFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_query && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier) {
                emit PreviousRequested();
            } else {
                emit NextRequested();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void LogFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace kestrel
