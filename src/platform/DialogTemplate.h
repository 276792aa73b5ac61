// A dialog template as data: the dialog's caption and size, and each control's id, kind,
// caption, rectangle in dialog units and style, in template order (which is the tab order).
// The window system builds the dialog from it.
#pragma once

#include <cstdint>
#include <span>

namespace kestrel {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    PictureButton,  // owner-drawn, shows images set with SetButtonImages
    CheckBox,
    RadioButton,
    GroupBox,
    StaticText,
    SunkenStatic,  // static text with a sunken border
    SunkenFrame,   // decoration only
    Edit,
    DigitsEdit,  // edit that accepts digits only
    ListBox,
    DropDownCombo,  // editable combo box with a drop-down list
    ProgressBar,
    Icon,
    LogPane,  // the communication log pane
};

// Style bits beyond the kind.
inline constexpr uint32_t kStyleSorted = 0x1;        // list or combo box keeps its items sorted
inline constexpr uint32_t kStyleVScroll = 0x2;       // vertical scroll bar
inline constexpr uint32_t kStyleHidden = 0x4;        // not visible at creation
inline constexpr uint32_t kStyleFirstInGroup = 0x8;  // starts a radio group
// The items and text are names of the file system (bytes of the system's encoding), not texts
// in code page 1252.
inline constexpr uint32_t kStyleFileNames = 0x10;

// Control id of controls that have none (group boxes, frames).
inline constexpr int kNoControlId = -1;

struct TemplateControl {
    int id;
    ControlKind kind;
    const char* caption;  // code page 1252, byte-exact (trailing blanks matter)
    int x;
    int y;
    int width;  // dialog units; a combo box's height includes its drop-down list
    int height;
    uint32_t style;
};

// The name a screen reader gives a control that shows no caption of its own: the words of the
// label that stands beside it.
struct ControlLabel {
    int id;
    const char* label;  // code page 1252
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width;  // dialog units
    int height;
    bool minimiseMaximiseBoxes;
    std::span<const TemplateControl> controls;  // template order = tab order
    std::span<const ControlLabel> labels = {};
};

}  // namespace kestrel
