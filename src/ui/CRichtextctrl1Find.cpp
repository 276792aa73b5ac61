// The log pane's find: the bar's query searched over the pane's rows, every match highlighted,
// the current one brought into view.
#include <QScrollBar>
#include <algorithm>

#include "commlog/LogSearch.h"
#include "ui/CRichtextctrl1.h"
#include "ui/Cp1252QString.h"
#include "ui/LogFindBar.h"

namespace kestrel {
namespace {

constexpr int kMatchPlaceFraction = 3;

}  // namespace

void CRichtextctrl1::OpenFindBar() {
    if (!isVisible()) {
        return;  // the pane is hidden with Debug Mode off: nothing to find in
    }
    PlaceOverlays();
    m_findBar->Open();
    RunSearch();
}

void CRichtextctrl1::RunSearch() {
    // The match that was current stays current while the log grows behind it.
    const uint32_t currentStart =
        m_currentMatch >= 0 ? m_matches.matchStarts[static_cast<size_t>(m_currentMatch)] : 0;
    const bool hadCurrent = m_currentMatch >= 0;
    m_matches = LogSearchResult();
    m_currentMatch = -1;
    const std::string query = QStringToCp1252(m_findBar->Query());
    if (m_findBar->HexBytes() && !query.empty()) {
        const std::optional<std::string> bytes = ParseHexBytes(query);
        if (!bytes) {
            m_findBar->ShowProblem(tr("Type bytes as \"02 12\""));
            viewport()->update();
            return;
        }
        m_matches = FindBytes(m_content, *bytes);
    } else {
        m_matches = FindText(m_content, query);
    }
    if (hadCurrent) {
        const auto found =
            std::find(m_matches.matchStarts.begin(), m_matches.matchStarts.end(), currentStart);
        if (found != m_matches.matchStarts.end()) {
            m_currentMatch = static_cast<int>(found - m_matches.matchStarts.begin());
        }
    }
    m_findBar->ShowCount(m_currentMatch, m_matches.Count());
    viewport()->update();
}

void CRichtextctrl1::ShowMatch(int direction) {
    const auto count = static_cast<int>(m_matches.Count());
    if (count == 0) {
        return;
    }
    if (m_currentMatch < 0) {
        // From the view: the first match at or after the caret, or the last before it.
        const auto caret = static_cast<uint32_t>(std::min(m_caret, m_content.text.size()));
        int index = direction > 0 ? 0 : count - 1;
        for (int i = 0; i < count; ++i) {
            const int at = direction > 0 ? i : count - 1 - i;
            const uint32_t start = m_matches.matchStarts[static_cast<size_t>(at)];
            if (direction > 0 ? start >= caret : start < caret) {
                index = at;
                break;
            }
        }
        m_currentMatch = index;
    } else {
        m_currentMatch = ((m_currentMatch + direction) % count + count) % count;  // wraps round
    }
    const uint32_t start = m_matches.matchStarts[static_cast<size_t>(m_currentMatch)];
    // Going to a match is reading back: the view holds there.
    SetFollowing(false);
    m_caret = m_anchor = start;
    {
        // The match a third of the way down, clear of the bar over the top lines.
        ScrollingItself guard(m_scrollingItself);
        const int line = static_cast<int>(m_content.LineAt(start));
        const int third = verticalScrollBar()->pageStep() / kMatchPlaceFraction;
        verticalScrollBar()->setValue(std::max(0, line - third));
        EnsureVisible(start);
    }
    m_findBar->ShowCount(m_currentMatch, m_matches.Count());
    viewport()->update();
}

void CRichtextctrl1::CloseFind() {
    m_findBar->hide();
    m_matches = LogSearchResult();
    m_currentMatch = -1;
    setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

}  // namespace kestrel
