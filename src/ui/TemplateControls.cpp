#include "ui/TemplateControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "platform/DialogEvents.h"
#include "ui/Artwork.h"
#include "ui/CRichtextctrl1.h"
#include "ui/Cp1252QString.h"
#include "ui/GroupBoxFrame.h"
#include "ui/PictureButton.h"
#include "ui/TemplateStyle.h"

namespace kestrel {
namespace {

constexpr int kIconPixels = 32;

// A combo box that reports its list closing and its losing the focus (not to its own list).
class NotifyingComboBox : public QComboBox {
  public:
    NotifyingComboBox(int id, ControlNotify notify, QWidget* parent)
        : QComboBox(parent), m_id(id), m_notify(std::move(notify)) {}

    void hidePopup() override {
        QComboBox::hidePopup();
        m_notify(m_id, kCbnCloseUp);
    }

  protected:
    void focusOutEvent(QFocusEvent* event) override {
        QComboBox::focusOutEvent(event);
        if (event->reason() != Qt::PopupFocusReason) {
            m_notify(m_id, kCbnKillFocus);
        }
    }

  private:
    int m_id;
    ControlNotify m_notify;
};

void ConnectClicks(QAbstractButton* button, int id, const ControlNotify& notify) {
    QObject::connect(button, &QAbstractButton::clicked,
                     [id, notify](bool) { notify(id, kBnClicked); });
}

// Check boxes and radio buttons paint their own background in the dialog's colour, as the
// platform's do, so their captions stay readable over the console's pictures.
void LikeThePlatform(QAbstractButton* button, QWidget* parent, const DialogUnits& units) {
    button->setStyle(TemplateStyle::For(parent, units));
    button->setAutoFillBackground(true);
}

QWidget* CreateButton(const TemplateControl& control, QWidget* parent, const DialogUnits& units,
                      const ControlNotify& notify) {
    const QString caption = Cp1252ToDisplayText(control.caption);
    QAbstractButton* button = nullptr;
    switch (control.kind) {
        case ControlKind::CheckBox:
            button = new QCheckBox(caption, parent);
            LikeThePlatform(button, parent, units);
            break;
        case ControlKind::RadioButton:
            button = new QRadioButton(caption, parent);
            LikeThePlatform(button, parent, units);
            break;
        case ControlKind::PictureButton:
            button = new PictureButton(parent);
            break;
        default: {
            auto* push = new QPushButton(caption, parent);
            push->setAutoDefault(false);
            push->setDefault(control.kind == ControlKind::DefaultPushButton);
            button = push;
            break;
        }
    }
    ConnectClicks(button, control.id, notify);
    return button;
}

QWidget* CreateCombo(const TemplateControl& control, QWidget* parent, const QRect& rect,
                     const ControlNotify& notify) {
    auto* combo = new NotifyingComboBox(control.id, notify, parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setDuplicatesEnabled(true);
    combo->setCompleter(nullptr);
    const int editHeight = combo->sizeHint().height();
    const int rowHeight = std::max(1, combo->fontMetrics().height());
    combo->setMaxVisibleItems(std::max(1, (rect.height() - editHeight) / rowHeight));
    const int id = control.id;
    QObject::connect(combo, &QComboBox::activated,
                     [id, notify](int) { notify(id, kCbnSelChange); });
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited,
                     [id, notify](const QString&) { notify(id, kCbnEditChange); });
    return combo;
}

QWidget* CreateList(const TemplateControl& control, QWidget* parent, const ControlNotify& notify) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy((control.style & kStyleVScroll) != 0 ? Qt::ScrollBarAsNeeded
                                                                          : Qt::ScrollBarAlwaysOff);
    const int id = control.id;
    QObject::connect(list, &QListWidget::currentRowChanged,
                     [id, notify](int) { notify(id, kLbnSelChange); });
    return list;
}

QWidget* CreateStatic(const TemplateControl& control, QWidget* parent) {
    auto* label = new QLabel(Cp1252ToDisplayText(control.caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (control.kind == ControlKind::SunkenStatic) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    return label;
}

QWidget* CreateEdit(const TemplateControl& control, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    if (control.kind == ControlKind::DigitsEdit) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

// Group boxes and frames never take clicks.
QWidget* CreateDecoration(const TemplateControl& control, QWidget* parent) {
    QWidget* widget = nullptr;
    if (control.kind == ControlKind::GroupBox) {
        widget = new GroupBoxFrame(Cp1252ToDisplayText(control.caption), parent);
    } else {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        widget = frame;
    }
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

QWidget* CreateIcon(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(KestrelIcon().pixmap(kIconPixels, kIconPixels));
    return label;
}

QWidget* CreateWidget(const TemplateControl& control, QWidget* parent, const DialogUnits& units,
                      const QRect& rect, const ControlNotify& notify) {
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
        case ControlKind::PictureButton:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            return CreateButton(control, parent, units, notify);
        case ControlKind::GroupBox:
        case ControlKind::SunkenFrame:
            return CreateDecoration(control, parent);
        case ControlKind::StaticText:
        case ControlKind::SunkenStatic:
            return CreateStatic(control, parent);
        case ControlKind::Edit:
        case ControlKind::DigitsEdit:
            return CreateEdit(control, parent);
        case ControlKind::ListBox:
            return CreateList(control, parent, notify);
        case ControlKind::DropDownCombo:
            return CreateCombo(control, parent, rect, notify);
        case ControlKind::ProgressBar: {
            auto* progress = new QProgressBar(parent);
            progress->setTextVisible(false);
            progress->setRange(0, 100);
            progress->setValue(0);
            return progress;
        }
        case ControlKind::Icon:
            return CreateIcon(parent);
        case ControlKind::LogPane:
            return new CRichtextctrl1(parent);
    }
    return new QWidget(parent);
}

}  // namespace

QWidget* CreateTemplateControl(const TemplateControl& control, QWidget* parent,
                               const DialogUnits& units, const ControlNotify& notify) {
    const QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
    QWidget* widget = CreateWidget(control, parent, units, rect, notify);
    widget->setProperty(kCaptionProperty, QByteArray(control.caption));
    if (control.kind == ControlKind::DropDownCombo) {
        // The template's height includes the list; the box itself is one line high.
        widget->setGeometry(rect.x(), rect.y(), rect.width(), widget->sizeHint().height());
    } else {
        widget->setGeometry(rect);
    }
    // Controls stack as the platform stacks them: each under those before it in the template, so
    // a picture button stays whole over a check box's background below it.
    widget->lower();
    if ((control.style & kStyleHidden) != 0) {
        widget->hide();
    }
    return widget;
}

}  // namespace kestrel
