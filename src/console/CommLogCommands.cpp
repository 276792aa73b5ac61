#include "console/CommLogCommands.h"

#include "console/ControlIds.h"
#include "console/TimerIds.h"

namespace kestrel {

void ClearCommLog(TrafficCapture& capture, const RenderCommLogFunction& renderCommLog) {
    capture.Clear();
    renderCommLog(0);
}

void ToggleLogging(DialogHost& host) {
    if (host.GetItemText(IDC_STOPLOGGING).find(kStopLoggingCaption) != std::string::npos) {
        host.SetItemText(IDC_STOPLOGGING, kStartLoggingCaption);
        host.KillTimer(TIMER_LOG_REFRESH);
    } else {
        host.SetItemText(IDC_STOPLOGGING, kStopLoggingCaption);
        host.SetTimer(TIMER_LOG_REFRESH, kLogRefreshPeriodMs);
    }
}

std::string CommLogSavePath(const std::string& chosenPath) {
    if (chosenPath.find(kCommLogExtension) != std::string::npos) {
        return chosenPath;
    }
    return chosenPath + kCommLogExtension;
}

int SaveCommData(DialogHost& host, CommLogPane& pane, std::string& commDataPath) {
    const std::string chosen = host.SaveFileDialog(kCommLogFileFilter);
    if (chosen.empty()) {
        return 0;
    }
    const std::string path = CommLogSavePath(chosen);
    std::string error;
    if (!pane.SaveFile(path, &error)) {
        host.MessageBox(error, kErrorCaption, kMbOk | kMbIconError);
        return 0;
    }
    commDataPath = path;
    return 1;
}

bool LoadCommLog(CommLogPane& pane, const std::string& path, std::string* error) {
    return pane.LoadFile(path, error);
}

}  // namespace kestrel
