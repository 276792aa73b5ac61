// Builds one control of a dialog template as a Qt widget, placed at its rectangle and wired so
// that the operator's actions (never the logic's own changes) come back as notifications.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/DialogTemplate.h"
#include "ui/DialogUnits.h"

namespace kestrel {

using ControlNotify = std::function<void(int id, int notification)>;

QWidget* CreateTemplateControl(const TemplateControl& control, QWidget* parent,
                               const DialogUnits& units, const ControlNotify& notify);

// The caption bytes a control was created with or last given, for reading back byte-exact.
inline constexpr const char* kCaptionProperty = "kestrelCaption";

}  // namespace kestrel
