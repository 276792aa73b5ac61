// The three dialogs as data: the console (102), "Select Communication Port" (1033) and the
// About box (100), each with its controls in template order, which is also the tab order.
#pragma once

#include "platform/DialogTemplate.h"

namespace kestrel {

const DialogTemplate& ConsoleTemplate();
const DialogTemplate& PortDialogTemplate();
const DialogTemplate& AboutTemplate();

// The template with that id, or null.
const DialogTemplate* FindDialogTemplate(int templateId);

// The About box's texts.
inline constexpr const char* kAboutVersionText = "Kestrel Version 2.0.1.5";
inline constexpr const char* kAboutPurposeText = "Vantor 60 operator and diagnostic console.";
inline constexpr const char* kAboutCopyrightText = "Copyright (C) 2026 the Kestrel developers.";

}  // namespace kestrel
