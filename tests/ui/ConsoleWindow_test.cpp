// The real console on the Qt host in each layout (Normal, Smart and Ventrix Mode, each with Debug
// Mode off and on), switched as the operator switches them: the groups the boxes show, and what
// is painted. In the window, each control shows what it paints alone, except where its template
// rectangle overlaps another's: nothing (a neighbour, a frame line, a picture under it) paints
// into it or shows through; each group's title sits on its frame line, clear of everything; and
// every caption fits its control. With KESTREL_SCREENSHOT_DIR set, each layout is saved as a PNG.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "CaptionRoom.h"
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/CommLogCommands.h"
#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "console/ModemLines.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"
#include "port/PortTestSupport.h"
#include "support/ConsoleDoubles.h"
#include "support/FakeClock.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"
#include "ui/GroupBoxFrame.h"
#include "ui/ModemLinePanel.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

// "Café Ticket" as the file system spells it.
constexpr const char* kUtf8Title = "Caf\xC3\xA9 Ticket";

void SavePattern(const QString& name, QRgb top, QRgb bottom) {
    QImage image(500, 235, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, y < 40 ? top : qRgb(qRed(bottom), x / 2, y));
        }
    }
    image.save(name, "BMP");
}

// A console in a scratch folder with its own settings, data folder, bottom picture, preview
// picture and one ticket whose name is UTF-8.
class ConsoleWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.UseAsSettings();
        m_folder.EnterAsCurrentDirectory();
        const char* data = std::getenv("XDG_DATA_HOME");
        m_previousDataHome = data != nullptr ? data : "";
        setenv("XDG_DATA_HOME", m_folder.Path().c_str(), 1);
        SavePattern(QStringLiteral("PictBottom.bmp"), qRgb(40, 90, 160), qRgb(60, 0, 0));
        // A dark header where the check boxes over the preview stand.
        SavePattern(QStringLiteral("NoPreview.bmp"), qRgb(20, 20, 20), qRgb(200, 0, 0));
        std::ofstream(std::string(kUtf8Title) + ".dmo") << "[ESC]@";
    }
    void TearDown() override {
        if (m_previousDataHome.empty()) {
            unsetenv("XDG_DATA_HOME");
        } else {
            setenv("XDG_DATA_HOME", m_previousDataHome.c_str(), 1);
        }
    }

    // Runs the console with the ventrix option and calls `inside` within its modal loop.
    void RunConsole(const std::function<void(QtDialogHost&, CKestrelDlg&)>& inside,
                    PortEnvironment environment = {}) {
        CKestrelApp app({"ventrix"}, m_clock, std::move(environment));
        QtDialogHost host(ConsoleTemplate());
        ModemLinePanel modemLines(host);  // it must stand clear of everything too
        testing::UnchangedPriority priority;
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

// The window as it is painted now, saved as NAME.png when screenshots are asked for.
QImage Shot(QtDialogHost& host, const std::string& name) {
    QApplication::processEvents();
    const QImage window = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
        window.save(QString::fromLocal8Bit(folder) + "/" + QString::fromStdString(name) + ".png");
    }
    return window;
}

// Clicks a check box as the operator does: it toggles, then its command arrives.
void Click(QtDialogHost& host, int id) {
    auto* box = qobject_cast<QAbstractButton*>(host.Control(id));
    ASSERT_NE(box, nullptr);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
}

bool IsDecoration(const TemplateControl& control) {
    return control.kind == ControlKind::GroupBox || control.kind == ControlKind::SunkenFrame;
}

// What a control paints, in the window's coordinates: the bounding box of every pixel of its
// own rendering that is not the dialog's colour.
QRect InkBox(QWidget* widget) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = widget->palette().color(QPalette::Window).rgb() | 0xFF000000;
    int left = image.width();
    int right = -1;
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect()
                     : QRect(QPoint(left, top), QPoint(right, bottom)).translated(widget->pos());
}

// The same colour, give or take the shading a style computes afresh for each paint device.
bool Alike(QRgb a, QRgb b) {
    constexpr int kShading = 8;
    return std::abs(qRed(a) - qRed(b)) <= kShading && std::abs(qGreen(a) - qGreen(b)) <= kShading &&
           std::abs(qBlue(a) - qBlue(b)) <= kShading;
}

// Pixels of `area` (window coordinates), outside `shared`, where the whole window shows other
// than `widget` alone: something else paints there, or what is under it shows through.
int ForeignPixels(const QImage& window, QWidget* widget, const QRect& area,
                  const std::vector<QRect>& shared = {}) {
    const QImage own = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int foreign = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!Alike(window.pixel(x, y), own.pixel(x - widget->x(), y - widget->y())) &&
                std::none_of(shared.begin(), shared.end(),
                             [&](const QRect& r) { return r.contains(x, y); })) {
                ++foreign;
            }
        }
    }
    return foreign;
}

struct Layout {
    const char* name;
    int modeBox;
    bool debug;
    std::vector<int> shown;
    std::vector<int> hidden;
};

class ConsoleLayout : public ConsoleWindowTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(ConsoleLayout, ControlsPaintOnlyWhereTheTemplatePutsThemAndCaptionsFit) {
    const Layout& layout = GetParam();
    RunConsole([&](QtDialogHost& host, CKestrelDlg& console) {
        host.show();
        Click(host, layout.modeBox);
        if (layout.debug) {
            Click(host, IDC_DEBUGMODE);
            // The longer of each caption the buttons change to.
            host.SetItemText(IDC_POLLBUTTON, kStopPollingCaption);
            host.SetItemText(IDC_STOPLOGGING, kStartLoggingCaption);
        }
        host.SetCurSel(IDC_DEMOLIST, 0);
        console.OnCommand(IDC_DEMOLIST, kLbnSelChange);
        // Texts the printer and the monitor put into the information area.
        host.SetItemText(IDC_INFOLINE1, "Port identity is: 127.0.0.1:9100");
        host.SetItemText(IDC_INFOLINE2, "Vantor 60  1.02");
        host.SetItemText(IDC_MONITORSTATE, kMonitorWaitingTopOfFormText);
        QApplication::processEvents();
        for (const int id : layout.shown) {
            EXPECT_TRUE(host.IsItemVisible(id)) << id;
        }
        for (const int id : layout.hidden) {
            EXPECT_FALSE(host.IsItemVisible(id)) << id;
        }

        struct Shown {
            const TemplateControl* control;
            QWidget* widget;
            QRect rect;  // the template's, in pixels (a combo box closed)
            QRect ink;
        };
        std::vector<Shown> shown;
        for (const TemplateControl& control : ConsoleTemplate().controls) {
            QWidget* widget = host.Control(control.id);
            for (QWidget* child : host.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (widget == nullptr &&
                    child->property("kestrelCaption").toByteArray() == control.caption &&
                    child->pos() == host.Units().ToPixels(control.x, control.y, 1, 1).topLeft()) {
                    widget = child;
                }
            }
            ASSERT_NE(widget, nullptr) << control.id;
            if (widget->isHidden()) {
                continue;
            }
            EXPECT_TRUE(host.rect().contains(widget->geometry())) << control.id;
            const QRect rect =
                control.kind == ControlKind::DropDownCombo
                    ? widget->geometry()
                    : host.Units().ToPixels(control.x, control.y, control.width, control.height);
            shown.push_back({&control, widget, rect, InkBox(widget)});
        }

        const QImage window = Shot(host, std::string("console-") + layout.name);
        for (const Shown& item : shown) {
            const char* caption = item.control->caption;
            if (!IsDecoration(*item.control)) {
                std::vector<QRect> shared;
                for (const Shown& other : shown) {
                    if (&other != &item && !IsDecoration(*other.control) &&
                        item.rect.intersects(other.rect)) {
                        shared.push_back(item.rect & other.rect);
                    }
                }
                EXPECT_EQ(ForeignPixels(window, item.widget, item.ink, shared), 0)
                    << "something paints into " << item.control->id << " \"" << caption << "\"";
            }
            if (const auto* group = qobject_cast<const GroupBoxFrame*>(item.widget)) {
                const QRect title = group->TitleRect().translated(group->pos());
                EXPECT_TRUE(item.rect.contains(title)) << caption;
                // The frame's top line runs through the title, as the left edge shows it.
                const QImage own = item.widget->grab().toImage();
                int topLine = 0;
                while (
                    topLine < own.height() &&
                    Alike(own.pixel(0, topLine), group->palette().color(QPalette::Window).rgb())) {
                    ++topLine;
                }
                EXPECT_TRUE(topLine >= group->TitleRect().top() &&
                            topLine <= group->TitleRect().bottom())
                    << caption << ": frame at " << topLine;
                EXPECT_EQ(ForeignPixels(window, item.widget, title), 0)
                    << "something paints into the title \"" << caption << "\"";
            }
            const QString text = testing::ShownCaption(item.widget);
            if (!text.isEmpty()) {
                const QFontMetrics metrics(item.widget->font());
                EXPECT_LE(metrics.horizontalAdvance(text),
                          testing::CaptionRoom(item.widget).width())
                    << "caption of " << item.control->id << ": " << text.toStdString();
            }
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ConsoleLayout,
    ::testing::Values(
        Layout{
            "Normal", IDC_NORMALMODE, false, {}, {IDC_SMARTGROUP, IDC_VENTRIXGROUP, IDC_COMMLOG}},
        Layout{"NormalDebug",
               IDC_NORMALMODE,
               true,
               {IDC_COMMLOG, IDC_CMDCOMBO, IDC_POLLBUTTON},
               {IDC_SMARTGROUP, IDC_VENTRIXGROUP}},
        Layout{"Smart", IDC_SMARTMODE, false, {IDC_SMARTGROUP, 1011}, {IDC_COMMLOG}},
        Layout{"SmartDebug", IDC_SMARTMODE, true, {IDC_SMARTGROUP, IDC_COMMLOG}, {}},
        Layout{"Ventrix",
               IDC_VENTRIXMODE,
               false,
               {IDC_VENTRIXGROUP, 1072, IDC_MONITOR},
               {IDC_SMARTGROUP, IDC_COMMLOG}},
        Layout{"VentrixDebug",
               IDC_VENTRIXMODE,
               true,
               {IDC_VENTRIXGROUP, IDC_COMMLOG, IDC_DISABLESEQUENCE},
               {IDC_SMARTGROUP}}),
    [](const auto& param) { return std::string(param.param.name); });

// The lamps light as the lines a USB adapter reports through the system-call seam (a terminal
// has none), a click on DTR reaches the port, the menu's reconnect choice carries its check mark,
// and the terminal going away is waited for. Both states are saved when screenshots are asked for.
TEST_F(ConsoleWindowTest, ModemLinesLightAndALostPortIsWaitedFor) {
    auto pty = std::make_unique<testing::PseudoTerminal>();
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", pty->SlavePath()));
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "PortName", "COM5"));
    testing::ScriptedSystemCalls sys;
    sys.onIoctl = [&](int, unsigned long request, void* lines) -> std::optional<int> {
        if (request != TIOCMGET) {
            return std::nullopt;
        }
        *static_cast<int*>(lines) = TIOCM_CTS | TIOCM_DTR;
        return 0;
    };
    RunConsole(
        [&](QtDialogHost& host, CKestrelDlg& console) {
            host.show();
            Click(host, IDC_DEBUGMODE);
            console.OnCommButton();
            console.OnTimer(TIMER_STATUS_READ);
            QImage shot = Shot(host, "modem-lines");
            const auto green = [&](int id) {
                const QWidget* lamp = host.Control(id);
                const QColor colour = shot.pixelColor(
                    lamp->mapTo(&host, QPoint(lamp->height() / 2, lamp->height() / 2)));
                return colour.green() - (colour.red() + colour.blue()) / 2;
            };
            EXPECT_GT(green(IDC_LINECTS), 60);
            EXPECT_LT(green(IDC_LINEDSR), 20);
            Click(host, IDC_LINEDTR);
            EXPECT_EQ(sys.CountIoctls(TIOCMBIC), 1u);

            const auto reconnect = std::find_if(
                host.MenuEntries().begin(), host.MenuEntries().end(),
                [](const auto& entry) { return entry.commandId == ID_RECONNECTAUTOMATICALLY; });
            ASSERT_NE(reconnect, host.MenuEntries().end());
            host.ChooseMenuEntry(*reconnect);
            EXPECT_EQ(reconnect->checked, 1);
            pty.reset();
            console.OnTimer(TIMER_STATUS_READ);
            console.OnTimer(TIMER_RECONNECT);
            console.OnTimer(TIMER_STATUS_READ);
            EXPECT_EQ(host.GetItemText(IDC_INFOLINE1), "Waiting for COM5 to come back ...");
            Shot(host, "reconnect-waiting");
        },
        PortEnvironment{.sys = &sys});
}

TEST_F(ConsoleWindowTest, DemoTitlesFromUtf8FileNamesAreShownAsTheSystemSpellsThem) {
    RunConsole([&](QtDialogHost& host, CKestrelDlg&) {
        const auto* list = qobject_cast<const QListWidget*>(host.Control(IDC_DEMOLIST));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Caf\u00e9 Ticket"));
        EXPECT_EQ(host.GetItemString(IDC_DEMOLIST, 0), kUtf8Title);
        // The system's own texts stay code page 1252.
        host.SetItemText(IDC_INFOLINE2, "Caf\xE9");
        EXPECT_EQ(qobject_cast<const QLabel*>(host.Control(IDC_INFOLINE2))->text(),
                  QStringLiteral("Caf\u00e9"));
    });
}

}  // namespace
}  // namespace kestrel
