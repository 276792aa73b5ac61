// The room a control gives its caption, from the style that draws it (or the group box's own
// title room), for the tests that check every caption fits.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "ui/GroupBoxFrame.h"

namespace kestrel::testing {

inline QRect CaptionRoom(const QWidget* widget) {
    QStyleOptionButton option;
    option.initFrom(widget);
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        option.text = button->text();
    }
    if (qobject_cast<const QCheckBox*>(widget) != nullptr) {
        return widget->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, widget);
    }
    if (qobject_cast<const QRadioButton*>(widget) != nullptr) {
        return widget->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, widget);
    }
    if (qobject_cast<const QPushButton*>(widget) != nullptr) {
        return widget->style()->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->contentsRect();
    }
    if (const auto* group = qobject_cast<const GroupBoxFrame*>(widget)) {
        return group->TitleRoom();  // in the frame's top line, between its two corners
    }
    return QRect();
}

// The caption a control shows, or empty.
inline QString ShownCaption(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    if (const auto* group = qobject_cast<const GroupBoxFrame*>(widget)) {
        return group->Title();
    }
    return QString();
}

}  // namespace kestrel::testing
