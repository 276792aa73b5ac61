// Numbers typed into edits, read as the platform reads an integer from a control: leading
// blanks, an optional sign, digits; no number, or one out of the int range, gives 0.
#pragma once

#include <string_view>

namespace kestrel {

int ReadDialogInt(std::string_view text);

}  // namespace kestrel
