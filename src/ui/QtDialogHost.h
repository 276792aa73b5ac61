// A dialog window built from a template: the Qt side of DialogHost. It creates the template's
// controls, forwards the operator's actions to the dialog's DialogEvents, runs the window timers,
// message boxes and nested dialogs in real nested loops, and draws the logic's pictures. On the
// offscreen platform nothing waits for an operator: message boxes go to standard error and the
// application log and answer OK, dialogs answer cancel.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/DialogEvents.h"
#include "platform/DialogHost.h"
#include "platform/DialogTemplate.h"
#include "ui/DialogUnits.h"

class QEventLoop;
class QMenu;
class QPainter;
class QTimer;

namespace kestrel {

class ConsoleResizeLayout;
class CRichtextctrl1;

class QtDialogHost : public QDialog, public DialogHost {
    Q_OBJECT

  public:
    // Writes a line to the application log (the headless message boxes use it).
    using LogWriter = std::function<void(const std::string&)>;

    explicit QtDialogHost(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr,
                          LogWriter log = {});
    ~QtDialogHost() override;

    // Attaches `events`, runs its initialisation and then the modal loop; returns the result
    // the dialog ended with.
    int RunModal(DialogEvents& events);
    // A window that is never shown ("s" on the command line); its loop runs all the same.
    void SetNeverShown(bool neverShown) { m_neverShown = neverShown; }

    // The widget of a control, or null.
    QWidget* Control(int id) const;
    const DialogTemplate& Template() const { return m_template; }
    // A control's template style; 0 for an id the template does not have.
    uint32_t ControlStyle(int id) const;
    const DialogUnits& Units() const { return m_units; }

    // Controls.
    void SetItemText(int id, const std::string& text) override;
    std::string GetItemText(int id) const override;
    void CheckButton(int id, int checked) override;
    int IsButtonChecked(int id) const override;
    void ShowItem(int id, bool show) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemVisible(int id) const override;

    // Lists and combo boxes.
    void ResetContent(int id) override;
    int AddString(int id, const std::string& text) override;
    int InsertString(int id, int index, const std::string& text) override;
    int GetCount(int id) const override;
    std::string GetItemString(int id, int index) const override;
    int GetCurSel(int id) const override;
    int SetCurSel(int id, int index) override;
    int FindStringExact(int id, int start, const std::string& text) const override;
    int SelectString(int id, int start, const std::string& text) override;

    void SetProgressRange(int id, int lower, int upper) override;
    void SetProgressStep(int id, int step) override;
    void SetProgressPos(int id, int position) override;

    void SetButtonImages(int id, const std::string& imageBase) override;

    bool LoadPicture(PictureSlot slot, const std::string& path) override;
    void ClearPicture(PictureSlot slot) override;
    void DrawPicture(PictureSlot slot, const ClientRect& rect) override;
    void DrawIconCentred() override;
    void InvalidateRect(const ClientRect& rect, bool erase) override;
    void RedrawWindow(bool erase) override;
    void RepaintNow() override;
    void RepaintItemNow(int id) override;

    CommLogPane* LogPane() override;

    void SetTimer(int id, uint32_t periodMs) override;
    void KillTimer(int id) override;
    bool IsTimerArmed(int id) const;
    int TimerInterval(int id) const;
    int TimerRemainingMs(int id) const;

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    bool IsModalOpen() const override { return m_modalDepth > 0; }

    std::string SaveFileDialog(const std::string& filter) override;
    std::string OpenFileDialog(const std::string& filter,
                               const std::string& initialFolder) override;
    std::string BrowseForFolder(const std::string& title, const std::string& startFolder) override;
    int RunDialog(int templateId, DialogEvents& events) override;
    void OpenLocalPage(const std::string& path) override;
    void DispatchWaitingEvents() override;

    void AppendSystemMenuItem(unsigned commandId, const std::string& text) override;
    void ShowMenuItem(int commandId, const std::string& text, bool shown) override;
    void CheckMenuItem(int commandId, bool checked) override;
    // The context menu's entries as (command, text, from the system menu) in order.
    struct MenuEntry {
        unsigned commandId;
        std::string text;
        bool system;
        int checked = -1;  // -1: no check mark; else whether it is checked
    };
    // A control of a panel of ours outside the template, addressed by `id` as the template's
    // are; a button's clicks come to the logic as its commands.
    void AddPanelControl(int id, QWidget* widget);
    const std::vector<MenuEntry>& MenuEntries() const { return m_menu; }
    // Runs a context menu entry as if chosen.
    void ChooseMenuEntry(const MenuEntry& entry);
    // Panels of the window-system layer add their own items after the logic's.
    using MenuExtension = std::function<void(QMenu&)>;
    void AddMenuExtension(MenuExtension extension) {
        m_menuExtensions.push_back(std::move(extension));
    }

    void SetWindowState(WindowState state) override;
    bool IsMinimized() const override;
    void EndDialog(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;

  private:
    void BuildControls();
    // A main window grows with its log pane (ConsoleResizeLayout); dialogs keep their size.
    void SetUpWindowSize();
    void Notify(int id, int notification);
    // Escape and the close box are refused while the dialog's Cancel button is disabled.
    bool CancelAllowed() const;
    void ShowContextMenu(const QPoint& globalPosition);
    QImage& Picture(PictureSlot slot);
    // Where a picture area drawn for the template lies in the window as it is now.
    QRect PictureArea(const ClientRect& rect) const;

    const DialogTemplate& m_template;
    DialogUnits m_units;
    LogWriter m_log;
    DialogEvents* m_events = nullptr;
    std::map<int, QWidget*> m_controls;
    CRichtextctrl1* m_logPane = nullptr;
    ConsoleResizeLayout* m_resizeLayout = nullptr;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
    std::vector<MenuEntry> m_menu;
    std::vector<MenuExtension> m_menuExtensions;
    QImage m_previewPicture;
    QImage m_bottomPicture;
    QPainter* m_painter = nullptr;  // set only while the logic paints
    int m_modalDepth = 0;
    bool m_neverShown = false;
    bool m_running = false;
    bool m_ended = false;
    int m_endResult = kIdCancel;
    QEventLoop* m_hiddenLoop = nullptr;  // the loop of a window that is never shown
};

// True on Qt's offscreen platform, where no operator can see or answer anything.
bool IsHeadlessPlatform();

}  // namespace kestrel
