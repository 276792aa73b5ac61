// The console's window grows: never below its template's size; only the log pane (and, with the
// pane hidden, the picture areas) takes the room, the pane widening only while nothing shown
// stands to its right; size and placement come back from where they were kept.
#include <gtest/gtest.h>

#include <QApplication>
#include <map>

#include "console/ConsoleGroups.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "support/ScratchFolder.h"
#include "ui/ConsoleResizeLayout.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr int kWider = 300;
constexpr int kTaller = 200;

std::map<int, QRect> Geometries(const QtDialogHost& host) {
    std::map<int, QRect> all;
    for (const TemplateControl& control : host.Template().controls) {
        if (QWidget* widget = host.Control(control.id)) {
            all[control.id] = widget->geometry();
        }
    }
    return all;
}

TEST(ConsoleResize, OnlyThePaneTakesTheRoomAndWidensOnlyWhereItIsFree) {
    QtDialogHost host(ConsoleTemplate());
    const QSize base = host.size();
    EXPECT_EQ(host.minimumSize(), base);
    // Debug Mode as in Normal mode: the log pane and its controls shown, no status group.
    const auto showGroup = [&](const auto& group, bool shown) {
        for (const int id : group) {
            host.ShowItem(id, shown);
        }
        QCoreApplication::processEvents();  // the layout follows once the change is over
    };
    showGroup(kSmartGroup, false);
    showGroup(kVentrixGroup, false);
    showGroup(kDebugGroup, true);
    host.show();
    const std::map<int, QRect> before = Geometries(host);
    const QRect pane = before.at(IDC_COMMLOG);

    host.resize(base + QSize(kWider, kTaller));
    std::map<int, QRect> after = Geometries(host);
    const QRect wide = pane.adjusted(0, 0, kWider, kTaller);
    EXPECT_EQ(after.at(IDC_COMMLOG), wide);
    for (const auto& [id, rect] : before) {
        if (id != IDC_COMMLOG) {
            EXPECT_EQ(after.at(id), rect) << id;
        }
    }
    // The Ventrix group beside the pane: the pane only grows down.
    showGroup(kVentrixGroup, true);
    EXPECT_EQ(Geometries(host).at(IDC_COMMLOG), pane.adjusted(0, 0, 0, kTaller));
    showGroup(kVentrixGroup, false);
    EXPECT_EQ(Geometries(host).at(IDC_COMMLOG), wide);

    host.resize(base - QSize(50, 50));  // never smaller than the template
    EXPECT_EQ(host.size(), base);
}

TEST(ConsoleResize, SizeAndPlacementComeBack) {
    testing::ScratchFolder folder;
    const std::string path = folder.File("state/console-window");
    {
        QtDialogHost host(ConsoleTemplate());
        host.show();
        host.setGeometry(QRect(QPoint(40, 30), host.size() + QSize(kWider, kTaller)));
        ASSERT_TRUE(SaveWindowPlacement(host, path));
    }
    QtDialogHost again(ConsoleTemplate());
    ASSERT_TRUE(RestoreWindowPlacement(again, path));
    EXPECT_EQ(again.size(), again.minimumSize() + QSize(kWider, kTaller));
    EXPECT_FALSE(RestoreWindowPlacement(again, folder.File("missing")));
}

}  // namespace
}  // namespace kestrel
