// The communication log pane (control 1043): takes an RTF document, shows it in a fixed-pitch
// font with the document's colours and bold, keeps the caret where it is put (at the end after
// each rendering), gives its plain text, and loads and saves its content as RTF. The content is
// held compactly and only the visible lines are painted, so a full capture stays fast.
#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "commlog/CommLogPane.h"
#include "commlog/CommLogRendering.h"
#include "commlog/LogSearch.h"
#include "commlog/StyledText.h"
#include "commlog/StyledTextChanges.h"

namespace kestrel {

class LogFindBar;
class LogPaneNewRecordsBar;
class LogPanePainter;
class LogPaneScrollBar;

class CRichtextctrl1 : public QAbstractScrollArea, public CommLogPane {
    Q_OBJECT

  public:
    explicit CRichtextctrl1(QWidget* parent = nullptr);
    ~CRichtextctrl1() override;

    // CommLogPane: the control's properties and methods.
    void SetDocument(std::string_view rtf) override;
    // A rendering of the log: only what changed is copied and repainted. While the operator
    // reads back (scrolled up, or text selected) the view holds still and a bar counts the
    // records that arrived below.
    void SetRendering(const CommLogRendering& rendering) override;
    void SetSelectionStart(long position) override;
    void SetProperty5(long value) override;
    std::string Text() const override;
    void SetEnabled(bool enabled) override;
    bool LoadFile(const std::string& path, std::string* error) override;
    bool SaveFile(const std::string& path, std::string* error) override;

    // The document exactly as held: what SaveFile writes when it is RTF.
    const std::string& Document() const { return m_document; }
    const StyledText& Content() const { return m_content; }
    size_t CaretPosition() const { return m_caret; }
    long Property5() const { return m_property5; }
    size_t FirstVisibleLine() const;

    std::string SelectedText() const;
    void SelectAll();
    // Selects text offsets [begin, end) and shows them; the view holds there, as when reading back.
    void SelectRange(size_t begin, size_t end);
    void CopySelection() const;

    // Following new records at the end, or holding still while the operator reads back.
    bool IsFollowing() const { return m_following; }
    int NewRecordsBelow() const { return m_newRecordsBelow; }
    // What the new-records bar does when clicked: back to the end, following again.
    void FollowToEnd();
    const LogPaneNewRecordsBar* NewRecordsBar() const { return m_newRecordsBar; }

    // Find: the bar over the pane (Ctrl+F, the context menu), and its matches.
    void OpenFindBar();
    LogFindBar* FindBar() const { return m_findBar; }
    const LogSearchResult& Matches() const { return m_matches; }
    // The match shown as current, or -1 when there is none.
    int CurrentMatch() const { return m_currentMatch; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // Marks a change of the pane's own, which the scroll-bar handlers do not take for the
    // operator's.
    class ScrollingItself {
      public:
        explicit ScrollingItself(int& depth) : m_depth(depth) { ++m_depth; }
        ~ScrollingItself() { --m_depth; }
        ScrollingItself(const ScrollingItself&) = delete;
        ScrollingItself& operator=(const ScrollingItself&) = delete;

      private:
        int& m_depth;
    };

    void ContentReplaced();
    void UpdateScrollBars();
    void EnsureVisible(size_t offset);
    void PlaceCaret(size_t offset);
    // The operator moved the view or the selection: follow when that left the view at the end
    // with nothing selected, else hold.
    void OperatorMoved();
    void SetFollowing(bool following);
    void PlaceOverlays();
    // Repaints lines `first` to `last` (SIZE_MAX: to the bottom) where they are shown.
    void RepaintLines(size_t first, size_t last);
    void RepaintChanges();
    bool ViewAtEnd() const;

    // Find (CRichtextctrl1Find.cpp).
    void RunSearch();
    void ShowMatch(int direction);
    void CloseFind();
    size_t OffsetAt(const QPoint& point) const;
    size_t SelectionBegin() const { return std::min(m_anchor, m_caret); }
    size_t SelectionEnd() const { return std::max(m_anchor, m_caret); }

    std::string m_document;
    bool m_documentIsRtf = false;  // else SaveFile writes the plain text as RTF
    StyledText m_content;
    std::unique_ptr<LogPanePainter> m_painter;
    size_t m_caret = 0;
    size_t m_anchor = 0;  // the other end of the selection
    long m_property5 = 0;

    CommLogFollower m_follower;
    bool m_following = true;
    int m_newRecordsBelow = 0;
    int m_scrollingItself = 0;    // our own scroll-bar changes are no move of the operator's
    StyledTextChanges m_changes;  // what the last rendering changed, until it is painted
    LogPaneScrollBar* m_verticalBar = nullptr;
    LogPaneNewRecordsBar* m_newRecordsBar = nullptr;
    LogFindBar* m_findBar = nullptr;
    LogSearchResult m_matches;
    int m_currentMatch = -1;
};

}  // namespace kestrel
