// The communication log pane (control 1043): takes an RTF document, shows it in a fixed-pitch
// font with the document's colours and bold, keeps the caret where it is put (at the end after
// each rendering), gives its plain text, and loads and saves its content as RTF. The content is
// held compactly and only the visible lines are painted, so a full capture stays fast.
#pragma once

#include <QAbstractScrollArea>
#include <memory>
#include <string>
#include <string_view>

#include "commlog/CommLogPane.h"
#include "commlog/StyledText.h"

namespace kestrel {

class LogPanePainter;

class CRichtextctrl1 : public QAbstractScrollArea, public CommLogPane {
    Q_OBJECT

  public:
    explicit CRichtextctrl1(QWidget* parent = nullptr);
    ~CRichtextctrl1() override;

    // CommLogPane: the control's properties and methods.
    void SetDocument(std::string_view rtf) override;
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
    void CopySelection() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void ContentReplaced();
    void UpdateScrollBars();
    void EnsureVisible(size_t offset);
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
};

}  // namespace kestrel
