// Ticket printing: the demo list and its preview, Print in line and whole-file mode, Repeat,
// Browse and the binary file sender.
#include "console/CKestrelDlg.h"

namespace kestrel {

void CKestrelDlg::FillDemoList() {}
void CKestrelDlg::OnDemoSelectionChange() {}
void CKestrelDlg::OnPrint() {}
void CKestrelDlg::OnRepeatCheck() {}
void CKestrelDlg::OnBrowse() {}
void CKestrelDlg::OnSendBinaryFile() {}

}  // namespace kestrel
