// The find bar over the log pane: a text, or bytes in hex ("02 12", "0212"); Enter and
// Shift+Enter go to the next and the previous match, the count shows where one is, Escape
// closes the bar and nothing else.
#pragma once

#include <QFrame>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kestrel {

class LogFindBar : public QFrame {
    Q_OBJECT

  public:
    explicit LogFindBar(QWidget* parent);

    // Shows the bar with the query selected, ready to type over.
    void Open();
    QString Query() const;
    bool HexBytes() const;
    void SetHexBytes(bool hex);
    void SetQuery(const QString& query);
    // "3 of 12", "No matches", or why the query cannot be looked for.
    void ShowCount(int current, size_t count);
    void ShowProblem(const QString& problem);
    QString CountText() const;
    QLineEdit* QueryEdit() const { return m_query; }

  signals:
    void QueryChanged();
    void NextRequested();
    void PreviousRequested();
    void Closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Close();

    QLineEdit* m_query = nullptr;
    QCheckBox* m_hex = nullptr;
    QLabel* m_count = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_close = nullptr;
};

}  // namespace kestrel
