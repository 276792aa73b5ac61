#include "console/CAboutDlg.h"

#include "console/ControlIds.h"

namespace kestrel {
namespace {

constexpr TemplateControl kAboutControls[] = {
    {kNoControlId, ControlKind::Icon, "", 11, 17, 20, 20, 0},
    {kNoControlId, ControlKind::StaticText, kAboutVersionText, 40, 10, 119, 8, 0},
    {kNoControlId, ControlKind::StaticText, "Console for the Vantor 60 ticket printer", 40, 25, 170,
     8, 0},
    {kNoControlId, ControlKind::StaticText, "Copyright (C) Norvane", 39, 35, 170, 8, 0},
    {kIdOk, ControlKind::DefaultPushButton, "OK", 178, 7, 50, 14, 0},
};

constexpr DialogTemplate kAboutTemplate = {IDD_ABOUTBOX, "About Kestrel", 235,
                                           55,           false,           kAboutControls};

}  // namespace

void CAboutDlg::OnCommand(int id, int notification) {
    if (id == kIdOk && notification == kBnClicked) {
        m_host->EndDialog(kIdOk);
    }
}

const DialogTemplate& AboutBoxTemplate() {
    return kAboutTemplate;
}

}  // namespace kestrel
