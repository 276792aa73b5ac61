// The real console on the Qt host, in its four layouts (Normal, Smart, Ventrix, Debug), switched
// as the operator switches them: the groups the mode boxes show, every visible control inside
// the window and clear of the others, the picture buttons at their images' size. With
// KESTREL_SCREENSHOT_DIR set, each layout is also saved there as a PNG to look at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ConsoleGroups.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

class UnchangedPriority : public ProcessPriority {
  public:
    bool Raise(std::string* /*error*/) override { return true; }
};

struct Layout {
    const char* name;
    int modeBox;  // checked by a click; 0: none
    std::vector<int> shownGroupsFirstIds;
    std::vector<int> hiddenGroupsFirstIds;
};

// A console in a scratch folder with its own settings, data folder and bottom picture.
class ConsoleWindow : public ::testing::TestWithParam<Layout> {
  protected:
    void SetUp() override {
        m_folder.UseAsSettings();
        m_folder.EnterAsCurrentDirectory();
        const char* data = std::getenv("XDG_DATA_HOME");
        m_previousDataHome = data != nullptr ? data : "";
        setenv("XDG_DATA_HOME", m_folder.Path().c_str(), 1);
        QImage bottom(500, 235, QImage::Format_RGB32);
        for (int y = 0; y < bottom.height(); ++y) {
            for (int x = 0; x < bottom.width(); ++x) {
                bottom.setPixel(x, y, qRgb(40 + x / 4, 90, 160 + y / 4));
            }
        }
        bottom.save(QStringLiteral("PictBottom.bmp"), "BMP");
    }
    void TearDown() override {
        if (m_previousDataHome.empty()) {
            unsetenv("XDG_DATA_HOME");
        } else {
            setenv("XDG_DATA_HOME", m_previousDataHome.c_str(), 1);
        }
    }

    // Runs the console with the ventrix option and calls `inside` within its modal loop.
    void RunConsole(const std::function<void(QtDialogHost&, CKestrelDlg&)>& inside) {
        CKestrelApp app({"ventrix"}, m_clock);
        QtDialogHost host(ConsoleTemplate());
        UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        QTimer::singleShot(0, &host, [&] {
            inside(host, console);
            host.EndDialog(kIdOk);
        });
        host.RunModal(console);
    }

    testing::ScratchFolder m_folder;
    testing::FakeClock m_clock;
    std::string m_previousDataHome;
};

// Clicks a check box as the operator does: it toggles, then its command arrives.
void Click(QtDialogHost& host, int id) {
    auto* box = qobject_cast<QAbstractButton*>(host.Control(id));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
}

bool IsDecoration(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) != nullptr ||
           (qobject_cast<const QFrame*>(widget) != nullptr &&
            widget->metaObject()->className() == QByteArray("QFrame"));
}

bool UnitsOverlap(const TemplateControl& a, const TemplateControl& b) {
    return QRect(a.x, a.y, a.width, a.height).intersects(QRect(b.x, b.y, b.width, b.height));
}

TEST_P(ConsoleWindow, LayoutShowsItsGroupsAndEveryControlFitsClearOfTheOthers) {
    RunConsole([&](QtDialogHost& host, CKestrelDlg&) {
        host.show();
        if (GetParam().modeBox != 0) {
            Click(host, GetParam().modeBox);
        }
        QApplication::processEvents();
        for (const int id : GetParam().shownGroupsFirstIds) {
            EXPECT_TRUE(host.IsItemVisible(id)) << GetParam().name << " " << id;
        }
        for (const int id : GetParam().hiddenGroupsFirstIds) {
            EXPECT_FALSE(host.IsItemVisible(id)) << GetParam().name << " " << id;
        }
        for (const int id : {IDC_PRINT, IDC_COMM, IDC_STATUS, IDC_EXITIMAGE}) {
            EXPECT_EQ(host.Control(id)->size(), QSize(120, 70)) << id;
        }
        // Every visible control inside the window, and no two controls that take clicks overlap
        // unless the template draws them so; the picture buttons' images, taller than their
        // rectangles, may reach a pixel or two below them.
        std::vector<const TemplateControl*> visible;
        for (const TemplateControl& control : ConsoleTemplate().controls) {
            const QWidget* widget = host.Control(control.id);
            if (widget == nullptr || widget->isHidden()) {
                continue;
            }
            EXPECT_TRUE(host.rect().contains(widget->geometry()))
                << GetParam().name << " " << control.id;
            if (!IsDecoration(widget) && qobject_cast<const QLabel*>(widget) == nullptr) {
                visible.push_back(&control);
            }
        }
        for (size_t a = 0; a < visible.size(); ++a) {
            for (size_t b = a + 1; b < visible.size(); ++b) {
                const QRect overlap = host.Control(visible[a]->id)
                                          ->geometry()
                                          .intersected(host.Control(visible[b]->id)->geometry());
                if (overlap.isEmpty() || UnitsOverlap(*visible[a], *visible[b])) {
                    continue;
                }
                const bool picture = visible[a]->kind == ControlKind::PictureButton ||
                                     visible[b]->kind == ControlKind::PictureButton;
                EXPECT_TRUE(picture && overlap.height() <= 2)
                    << GetParam().name << ": " << visible[a]->id << " / " << visible[b]->id;
            }
        }
        if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
            host.grab().save(QString::fromLocal8Bit(folder) + "/console-" + GetParam().name +
                             ".png");
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ConsoleWindow,
    ::testing::Values(
        Layout{"Normal", IDC_NORMALMODE, {}, {IDC_SMARTGROUP, IDC_VENTRIXGROUP, IDC_COMMLOG}},
        Layout{"Smart", IDC_SMARTMODE, {IDC_SMARTGROUP, 1011}, {IDC_VENTRIXGROUP, IDC_COMMLOG}},
        Layout{"Ventrix",
               IDC_VENTRIXMODE,
               {IDC_VENTRIXGROUP, 1072, IDC_MONITOR},
               {IDC_SMARTGROUP, IDC_COMMLOG}},
        Layout{
            "Debug", IDC_DEBUGMODE, {IDC_COMMLOG, IDC_CMDCOMBO, IDC_POLLBUTTON}, {IDC_SMARTGROUP}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kestrel
