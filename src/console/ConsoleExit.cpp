// The ways out of the console, the help page, the About box and the command-line file job.
#include "console/CKestrelDlg.h"

namespace kestrel {

void CKestrelDlg::OnClose() {
    m_host->EndDialog(kIdCancel);
}
void CKestrelDlg::OnCancel() {
    m_host->EndDialog(kIdCancel);
}
bool CKestrelDlg::OnSysCommand(unsigned /*commandId*/) {
    return false;
}
void CKestrelDlg::OnExitButton() {
    m_host->EndDialog(kIdOk);
}
void CKestrelDlg::OnHelpButton() {}
void CKestrelDlg::RunCommandLineJob() {}
void CKestrelDlg::SaveLogOnExit() {}

}  // namespace kestrel
