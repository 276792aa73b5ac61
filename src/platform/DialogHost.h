// The window-system interface of the console and its dialogs: controls by id, window timers,
// message boxes, file and folder dialogs, pictures, pages and the dialog's own window. The logic
// talks to its window only through this; src/ui implements it on Qt widgets and the tests use a
// fake. Events travel the other way through DialogEvents.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

class DialogEvents;
class CommLogPane;

// Message box styles and results, with the platform's values.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// List and combo box answers with the platform's values.
inline constexpr int kListError = -1;  // LB_ERR / CB_ERR: no such item, no selection

// The two picture areas of the console.
enum class PictureSlot { Preview, Bottom };

// How the dialog's window is shown.
enum class WindowState { Hidden, Normal, MinimizedNoActivate };

// A rectangle in client pixels, as the platform's RECT: left, top, right, bottom.
struct ClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ClientRect&) const = default;
};

class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // Controls, addressed by their ids. Texts are code page 1252; "\r\n" is a line break.
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual std::string GetItemText(int id) const = 0;
    virtual void CheckButton(int id, int checked) = 0;
    virtual int IsButtonChecked(int id) const = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsItemVisible(int id) const = 0;

    // List boxes and combo boxes. A sorted list (by its template style) keeps its items in
    // ASCII order without case, ties by bytes; the returned index is where the item went.
    virtual void ResetContent(int id) = 0;
    virtual int AddString(int id, const std::string& text) = 0;
    virtual int InsertString(int id, int index, const std::string& text) = 0;
    virtual int GetCount(int id) const = 0;
    virtual std::string GetItemString(int id, int index) const = 0;
    virtual int GetCurSel(int id) const = 0;
    virtual int SetCurSel(int id, int index) = 0;
    // The whole text equal, case ignored, searching from after `start` (-1: from the top)
    // round the list; kListError when none.
    virtual int FindStringExact(int id, int start, const std::string& text) const = 0;
    // Selects the first item from after `start` (-1: from the top) that begins with `text`,
    // case ignored, and shows it in the edit field; kListError when none.
    virtual int SelectString(int id, int start, const std::string& text) = 0;

    // The progress bar.
    virtual void SetProgressRange(int id, int lower, int upper) = 0;
    virtual void SetProgressStep(int id, int step) = 0;
    virtual void SetProgressPos(int id, int position) = 0;

    // Picture buttons take the images named `imageBase` + "U", "D" and "F" and are resized
    // to them; a redraw follows.
    virtual void SetButtonImages(int id, const std::string& imageBase) = 0;

    // Pictures: loads an image file (relative names from the current directory) into a slot;
    // false, with the slot left as it was, when it cannot be read as an image.
    virtual bool LoadPicture(PictureSlot slot, const std::string& path) = 0;
    virtual void ClearPicture(PictureSlot slot) = 0;
    // Painting, only from DialogEvents::OnPaint: a slot's picture stretched into a rectangle,
    // and the icon centred in the client area.
    virtual void DrawPicture(PictureSlot slot, const ClientRect& rect) = 0;
    virtual void DrawIconCentred() = 0;
    virtual void InvalidateRect(const ClientRect& rect, bool erase) = 0;
    virtual void RedrawWindow(bool erase) = 0;
    // Paints the window now, without dispatching any waiting event: no tick and no action of
    // the operator runs. For a wait in which the window must still show what it waits for.
    virtual void RepaintNow() = 0;
    // Paints one control at once with what it holds now, handling no other event: for a text
    // that must be seen while the logic then blocks.
    virtual void RepaintItemNow(int id) = 0;

    // The log pane of a dialog that has one (the console's control 1043); null otherwise.
    virtual CommLogPane* LogPane() = 0;

    // Window timers: each expiry arrives as OnTimer(id); arming an armed id restarts it.
    // Periods are clamped to 10 ... 0x7FFFFFFF ms.
    virtual void SetTimer(int id, uint32_t periodMs) = 0;
    virtual void KillTimer(int id) = 0;

    // A modal message box with a nested loop; returns the button pressed (kIdOk, ...). An empty
    // caption is replaced by the application's name.
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
    // True while a message box or a dialog of this window's is open.
    virtual bool IsModalOpen() const = 0;

    // The save-file and open-file dialogs with a filter in the platform's "Name (*.x)|*.x||"
    // form; each returns the chosen full path, or an empty text when the operator cancels.
    virtual std::string SaveFileDialog(const std::string& filter) = 0;
    virtual std::string OpenFileDialog(const std::string& filter,
                                       const std::string& initialFolder) = 0;
    // The folder browser; returns the chosen folder or an empty text.
    virtual std::string BrowseForFolder(const std::string& title,
                                        const std::string& startFolder) = 0;

    // Runs another dialog (template 1033, 100) modally, owned by this window, in a nested loop;
    // returns the result it ended with (kIdCancel when it cannot be shown).
    virtual int RunDialog(int templateId, DialogEvents& events) = 0;

    // Opens a local file in the desktop's browser; nothing is reported when that fails.
    virtual void OpenLocalPage(const std::string& path) = 0;

    // Dispatches the events waiting in the queue without waiting for more.
    virtual void DispatchWaitingEvents() = 0;

    // Context menu entries (the console has no system menu on Linux): an empty text is a
    // separator. Items below 0xF000 that are not system commands come as OnCommand(id, 0);
    // system commands (16 and up to 0xFFF0) come as OnSysCommand.
    virtual void AppendSystemMenuItem(unsigned commandId, const std::string& text) = 0;
    virtual void ShowMenuItem(int commandId, const std::string& text, bool shown) = 0;
    // Shows a check mark at a context menu entry of ShowMenuItem, or takes it away.
    virtual void CheckMenuItem(int commandId, bool checked) = 0;

    virtual void SetWindowState(WindowState state) = 0;
    virtual bool IsMinimized() const = 0;
    // Ends the dialog's modal run with a result.
    virtual void EndDialog(int result) = 0;
};

}  // namespace kestrel
