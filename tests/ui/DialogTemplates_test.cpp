// The three dialog templates built with the dialog font: every caption fits its control, the
// tab order is the template order, and the controls are the ones the logic addresses.
#include "console/DialogTemplates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "CaptionRoom.h"
#include "console/ConsoleGroups.h"
#include "console/ControlIds.h"
#include "ui/Cp1252QString.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

using testing::CaptionRoom;

struct TemplateCase {
    const char* name;
    const DialogTemplate& (*get)();
    int captionCount;  // controls with a caption the operator reads
};

class CaptionsFit : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(CaptionsFit, EveryCaptionFitsItsRectangleOnOneLine) {
    const DialogTemplate& dialogTemplate = GetParam().get();
    QtDialogHost host(dialogTemplate);
    int checked = 0;
    for (const TemplateControl& control : dialogTemplate.controls) {
        if (std::string(control.caption).empty() || control.kind == ControlKind::PictureButton) {
            continue;
        }
        const QWidget* widget = nullptr;
        for (QWidget* child : host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->property("kestrelCaption").toByteArray() == QByteArray(control.caption) &&
                child->geometry().topLeft() ==
                    host.Units().ToPixels(control.x, control.y, 1, 1).topLeft()) {
                widget = child;
            }
        }
        ASSERT_NE(widget, nullptr) << control.caption;
        const QRect room = CaptionRoom(widget);
        const QFontMetrics metrics(widget->font());
        const QString caption = Cp1252ToDisplayText(control.caption);
        const int textWidth = metrics.horizontalAdvance(caption);
        EXPECT_LE(textWidth, room.width())
            << GetParam().name << " control " << control.id << " \"" << control.caption << "\"";
        const QFontMetricsF exact(widget->font());
        // Eight vertical units are one line height rounded to whole pixels.
        EXPECT_LE(exact.ascent() + exact.descent(), widget->height() + 0.5)
            << GetParam().name << " control " << control.id << " \"" << control.caption << "\"";
        ++checked;
    }
    EXPECT_EQ(checked, GetParam().captionCount);
}

INSTANTIATE_TEST_SUITE_P(Templates, CaptionsFit,
                         ::testing::Values(TemplateCase{"console", &ConsoleTemplate, 61},
                                           TemplateCase{"port", &PortDialogTemplate, 3},
                                           TemplateCase{"about", &AboutTemplate, 4}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DialogTemplates, CaptionsAndSizesAreTheDialogs) {
    EXPECT_STREQ(ConsoleTemplate().caption, "Vantor 60 Ticket Printer");
    EXPECT_EQ(ConsoleTemplate().width, 576);
    EXPECT_EQ(ConsoleTemplate().height, 402);
    EXPECT_STREQ(PortDialogTemplate().caption, "Select Communication Port");
    EXPECT_EQ(PortDialogTemplate().width, 251);
    EXPECT_EQ(PortDialogTemplate().height, 95);
    EXPECT_STREQ(AboutTemplate().caption, "About Kestrel");
    EXPECT_EQ(AboutTemplate().width, 235);
    EXPECT_EQ(AboutTemplate().height, 55);
    EXPECT_EQ(FindDialogTemplate(IDD_PORTDIALOG), &PortDialogTemplate());
    EXPECT_EQ(FindDialogTemplate(IDD_ABOUTBOX), &AboutTemplate());
    EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

TEST(DialogTemplates, ConsoleHasEveryControlTheLogicAddressesOnce) {
    std::set<int> ids;
    for (const TemplateControl& control : ConsoleTemplate().controls) {
        if (control.id != kNoControlId) {
            EXPECT_TRUE(ids.insert(control.id).second) << "duplicate " << control.id;
        }
    }
    for (const int id : kSmartGroup) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
    for (const int id : kVentrixGroup) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
    for (const int id : kDebugGroup) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
    for (const int id : {IDC_PRINT, IDC_COMM, IDC_STATUS, IDC_EXITIMAGE, IDC_DEMOLIST, IDC_BROWSE,
                         IDC_RESET, IDC_DEBUGMODE, IDC_VENTRIXMODE, IDC_SMARTMODE, IDC_NORMALMODE,
                         IDC_SERIALPACKETMODE, IDC_INFOLINE1, IDC_INFOLINE2}) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
    EXPECT_EQ(ids.size(), ConsoleTemplate().controls.size() - 1);  // the demo group box has none
}

TEST(DialogTemplates, TheGroupsStartHiddenAndTheRestVisible) {
    QtDialogHost host(ConsoleTemplate());
    std::set<int> grouped(kSmartGroup.begin(), kSmartGroup.end());
    grouped.insert(kVentrixGroup.begin(), kVentrixGroup.end());
    grouped.insert(kDebugGroup.begin(), kDebugGroup.end());
    for (const TemplateControl& control : ConsoleTemplate().controls) {
        if (control.id != kNoControlId) {
            EXPECT_EQ(host.IsItemVisible(control.id), grouped.count(control.id) == 0) << control.id;
        }
    }
}

TEST(DialogTemplates, TabOrderIsTheTemplateOrder) {
    QtDialogHost host(PortDialogTemplate());
    // OK, Cancel, the port list, "Setup serial port.", then round to OK.
    QWidget* ok = host.Control(kIdOk);
    QWidget* cancel = host.Control(kIdCancel);
    QWidget* ports = host.Control(IDC_PORTCOMBO);
    QWidget* setup = host.Control(IDC_SETUPSERIAL);
    EXPECT_EQ(ok->nextInFocusChain(), cancel);
    QWidget* afterCancel = cancel->nextInFocusChain();
    // The combo box's own line edit may follow it in the chain.
    EXPECT_TRUE(afterCancel == ports || afterCancel->parentWidget() == ports);
    QWidget* next = afterCancel;
    while (next != setup && next->parentWidget() == ports) {
        next = next->nextInFocusChain();
    }
    if (next == ports) {
        next = ports->nextInFocusChain();
        while (next->parentWidget() == ports) {
            next = next->nextInFocusChain();
        }
    }
    EXPECT_EQ(next, setup);
}

TEST(DialogTemplates, SmallDialogsHoldEveryControlInsideTheirWindow) {
    for (const DialogTemplate* dialogTemplate : {&PortDialogTemplate(), &AboutTemplate()}) {
        QtDialogHost host(*dialogTemplate);
        host.show();
        for (const QWidget* child : host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(host.rect().contains(child->geometry()))
                << dialogTemplate->id << " "
                << child->property("kestrelCaption").toByteArray().constData();
        }
        if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
            host.grab().save(QString::fromLocal8Bit(folder) +
                             QStringLiteral("/dialog-%1.png").arg(dialogTemplate->id));
        }
    }
}

TEST(DialogTemplates, InitialCaptionsAreByteExact) {
    QtDialogHost host(ConsoleTemplate());
    EXPECT_EQ(host.GetItemText(IDC_POLLBUTTON), "<--- Start Polling     ");
    EXPECT_EQ(host.GetItemText(IDC_STOPLOGGING), "Stop Logging");
    EXPECT_EQ(host.GetItemText(IDC_COMMLOGLABEL), "COMM DATA    (Select text;  copy/paste)");
    EXPECT_EQ(host.GetItemText(IDC_NORMALMODE), "Normal / Vantor 40 Mode");
    EXPECT_EQ(host.windowTitle(), QStringLiteral("Vantor 60 Ticket Printer"));
}

// A screen reader says what the operator reads: the words on a picture button's images, as they
// change, and the label beside each field that has no caption of its own.
TEST(DialogTemplates, EveryFieldAndPictureButtonHasTheNameItShows) {
    QtDialogHost console(ConsoleTemplate());
    const std::pair<const char*, const char*> images[] = {
        {"PRINT", "PRINT TICKET"}, {"COMMCLOSE", "CLOSE PORT"}, {"COMM", "OPEN PORT"},
        {"STATUS", "HELP"},        {"EXITIMAGE", "EXIT"},
    };
    for (const auto& [imageBase, words] : images) {
        console.SetButtonImages(IDC_COMM, imageBase);
        EXPECT_EQ(console.Control(IDC_COMM)->accessibleName(), QString::fromLatin1(words));
    }
    for (const DialogTemplate* dialogTemplate : {&ConsoleTemplate(), &PortDialogTemplate()}) {
        QtDialogHost host(*dialogTemplate);
        for (const TemplateControl& control : dialogTemplate->controls) {
            const std::set<ControlKind> fields = {
                ControlKind::Edit,          ControlKind::DigitsEdit,  ControlKind::ListBox,
                ControlKind::DropDownCombo, ControlKind::ProgressBar, ControlKind::LogPane};
            EXPECT_TRUE(fields.count(control.kind) == 0 ||
                        !host.Control(control.id)->accessibleName().isEmpty())
                << dialogTemplate->id << " " << control.id;
        }
    }
}

}  // namespace
}  // namespace kestrel
