#include "console/CAboutDlg.h"

#include "console/ControlIds.h"

namespace kestrel {

void CAboutDlg::OnCommand(int id, int notification) {
    if (id == kIdOk && notification == kBnClicked) {
        m_host->EndDialog(kIdOk);
    }
}

}  // namespace kestrel
