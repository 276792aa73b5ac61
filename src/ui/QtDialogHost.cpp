// The dialog window itself: building it from its template, the modal run, the operator's events
// and the controls' texts, checks, visibility and enabled state.
#include "ui/QtDialogHost.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>

#include "ui/Artwork.h"
#include "ui/CRichtextctrl1.h"
#include "ui/GroupBoxFrame.h"
#include "ui/HostText.h"
#include "ui/PictureButton.h"
#include "ui/TemplateControls.h"

namespace kestrel {
namespace {

Qt::WindowFlags WindowFlagsFor(const DialogTemplate& dialogTemplate) {
    Qt::WindowFlags flags = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    if (dialogTemplate.minimiseMaximiseBoxes) {
        // A main window of its own: in the task bar, with minimise and maximise boxes.
        return flags | Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    }
    return flags | Qt::Dialog;
}

QByteArray CaptionOf(const QWidget* widget) {
    return widget->property(kCaptionProperty).toByteArray();
}

}  // namespace

QtDialogHost::QtDialogHost(const DialogTemplate& dialogTemplate, QWidget* parent, LogWriter log)
    : QDialog(parent, WindowFlagsFor(dialogTemplate)),
      m_template(dialogTemplate),
      m_units(DialogFont()),
      m_log(std::move(log)) {
    setFont(DialogFont());
    setWindowTitle(Cp1252ToQString(dialogTemplate.caption));
    setWindowIcon(KestrelIcon());
    BuildControls();
    SetUpWindowSize();
}

QtDialogHost::~QtDialogHost() {
    m_events = nullptr;
    m_timers.clear();
    // The controls go while this is still a whole host: hiding them reports focus changes,
    // which must not reach a half-destroyed window.
    m_controls.clear();
    m_logPane = nullptr;
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void QtDialogHost::BuildControls() {
    const ControlNotify notify = [this](int id, int notification) { Notify(id, notification); };
    for (const TemplateControl& control : m_template.controls) {
        QWidget* widget = CreateTemplateControl(control, this, m_units, notify);
        if (control.kind == ControlKind::LogPane) {
            m_logPane = static_cast<CRichtextctrl1*>(widget);
        }
        if (control.id != kNoControlId) {
            m_controls.emplace(control.id, widget);
        }
    }
    for (const ControlLabel& label : m_template.labels) {
        if (QWidget* widget = Control(label.id)) {
            widget->setAccessibleName(Cp1252ToQString(label.label));
        }
    }
}

uint32_t QtDialogHost::ControlStyle(int id) const {
    for (const TemplateControl& control : m_template.controls) {
        if (control.id == id) {
            return control.style;
        }
    }
    return 0;
}

QWidget* QtDialogHost::Control(int id) const {
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void QtDialogHost::Notify(int id, int notification) {
    if (m_events != nullptr) {
        m_events->OnCommand(id, notification);
    }
}

int QtDialogHost::RunModal(DialogEvents& events) {
    m_events = &events;
    m_ended = false;
    m_endResult = kIdCancel;
    events.Attach(*this);
    events.OnInitDialog();
    int result = m_endResult;
    if (!m_ended) {
        m_running = true;
        if (m_neverShown) {
            QEventLoop loop;
            m_hiddenLoop = &loop;
            loop.exec(QEventLoop::DialogExec);
            m_hiddenLoop = nullptr;
        } else {
            exec();
        }
        m_running = false;
        result = m_ended ? m_endResult : kIdCancel;
    }
    for (auto& [id, timer] : m_timers) {
        timer->stop();
    }
    m_events = nullptr;
    return result;
}

void QtDialogHost::EndDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_endResult = result;
    if (m_hiddenLoop != nullptr) {
        m_hiddenLoop->exit(result);
    } else if (m_running) {
        done(result);
    }
}

bool QtDialogHost::CancelAllowed() const {
    const QWidget* cancel = Control(kIdCancel);
    return cancel == nullptr || cancel->isEnabled();
}

void QtDialogHost::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (m_events == nullptr) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter = &painter;
    m_events->OnPaint();
    m_painter = nullptr;
}

void QtDialogHost::closeEvent(QCloseEvent* event) {
    if (m_events == nullptr) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (CancelAllowed()) {
        m_events->OnClose();
    }
}

void QtDialogHost::reject() {
    if (m_events == nullptr) {
        QDialog::reject();
    } else if (CancelAllowed()) {
        m_events->OnCancel();
    }
}

void QtDialogHost::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QWidget* focus = focusWidget();
        const QPoint centre = focus != nullptr ? focus->mapToGlobal(focus->rect().center())
                                               : mapToGlobal(rect().center());
        ShowContextMenu(centre);
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QtDialogHost::contextMenuEvent(QContextMenuEvent* event) {
    ShowContextMenu(event->globalPos());
}

void QtDialogHost::ShowContextMenu(const QPoint& globalPosition) {
    if (m_menu.empty() || m_events == nullptr) {
        return;
    }
    QMenu menu(this);
    std::vector<std::pair<QAction*, MenuEntry>> actions;
    for (const MenuEntry& entry : m_menu) {
        if (entry.text.empty()) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(Cp1252ToQString(entry.text));
            action->setCheckable(entry.checked >= 0);
            action->setChecked(entry.checked > 0);
            actions.emplace_back(action, entry);
        }
    }
    for (const MenuExtension& extend : m_menuExtensions) {
        extend(menu);
    }
    const QAction* chosen = menu.exec(globalPosition);
    for (const auto& [action, entry] : actions) {
        if (action == chosen) {
            ChooseMenuEntry(entry);
            return;
        }
    }
}

void QtDialogHost::ChooseMenuEntry(const MenuEntry& entry) {
    if (m_events == nullptr) {
        return;
    }
    if (entry.system) {
        m_events->OnSysCommand(entry.commandId);
    } else {
        m_events->OnCommand(static_cast<int>(entry.commandId), 0);
    }
}

void QtDialogHost::AppendSystemMenuItem(unsigned commandId, const std::string& text) {
    m_menu.push_back(MenuEntry{commandId, text, true});
}

void QtDialogHost::ShowMenuItem(int commandId, const std::string& text, bool shown) {
    const auto id = static_cast<unsigned>(commandId);
    for (auto entry = m_menu.begin(); entry != m_menu.end(); ++entry) {
        if (!entry->system && entry->commandId == id) {
            if (shown) {
                entry->text = text;
            } else {
                m_menu.erase(entry);
            }
            return;
        }
    }
    if (shown) {
        m_menu.push_back(MenuEntry{id, text, false});
    }
}

void QtDialogHost::CheckMenuItem(int commandId, bool checked) {
    for (MenuEntry& entry : m_menu) {
        if (!entry.system && entry.commandId == static_cast<unsigned>(commandId)) {
            entry.checked = checked ? 1 : 0;
        }
    }
}

void QtDialogHost::AddPanelControl(int id, QWidget* widget) {
    m_controls[id] = widget;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { Notify(id, kBnClicked); });
    }
}

void QtDialogHost::SetItemText(int id, const std::string& text) {
    QWidget* widget = Control(id);
    if (widget == nullptr) {
        return;
    }
    const TextKind kind = TextKindOfStyle(ControlStyle(id));
    const QString shown = ToDisplayText(kind, text);
    widget->setProperty(kCaptionProperty,
                        QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setEditText(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(shown);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(shown);
    } else if (auto* group = qobject_cast<GroupBoxFrame*>(widget)) {
        group->SetTitle(shown);
    } else if (qobject_cast<PictureButton*>(widget) != nullptr) {
        // A picture button shows its images, not a caption.
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(shown);
    }
}

std::string QtDialogHost::GetItemText(int id) const {
    const QWidget* widget = Control(id);
    if (widget == nullptr) {
        return std::string();
    }
    // What the operator can type is read back from the widget; the rest as it was given.
    const TextKind kind = TextKindOfStyle(ControlStyle(id));
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return FromQString(kind, combo->currentText());
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return FromQString(kind, edit->text());
    }
    const QByteArray caption = CaptionOf(widget);
    return std::string(caption.constData(), static_cast<size_t>(caption.size()));
}

void QtDialogHost::CheckButton(int id, int checked) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (button == nullptr || !button->isCheckable()) {
        return;
    }
    // Setting one radio button leaves the others of its group as they are.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked != 0);
    button->setAutoExclusive(exclusive);
}

int QtDialogHost::IsButtonChecked(int id) const {
    const auto* button = qobject_cast<const QAbstractButton*>(Control(id));
    return button != nullptr && button->isCheckable() && button->isChecked() ? 1 : 0;
}

void QtDialogHost::ShowItem(int id, bool show) {
    if (QWidget* widget = Control(id)) {
        widget->setVisible(show);
    }
}

void QtDialogHost::EnableItem(int id, bool enable) {
    if (QWidget* widget = Control(id)) {
        widget->setEnabled(enable);
    }
}

bool QtDialogHost::IsItemVisible(int id) const {
    const QWidget* widget = Control(id);
    return widget != nullptr && !widget->isHidden();
}

CommLogPane* QtDialogHost::LogPane() {
    return m_logPane;
}

bool IsHeadlessPlatform() {
    return QGuiApplication::platformName() == QStringLiteral("offscreen");
}

}  // namespace kestrel
