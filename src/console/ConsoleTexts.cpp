#include "console/ConsoleTexts.h"

#include "console/ControlIds.h"

namespace kestrel {

std::string PictureButtonImages(int id) {
    switch (id) {
        case IDC_PRINT:
            return "PRINT";
        case IDC_COMM:
            return kCommOpenImages;
        case IDC_STATUS:
            return "STATUS";
        case IDC_EXITIMAGE:
            return "EXITIMAGE";
        default:
            return "";
    }
}

}  // namespace kestrel
