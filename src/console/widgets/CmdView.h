#pragma once
// CCmdView: the command window's console. It paints the session's screen model in the
// fixed-pitch font, sizes the model to the pane, and hands keys, pastes and Ctrl+C to the
// session. Selection with the mouse; Ctrl+C with a selection (or Ctrl+Shift+C) copies.
#include <QAbstractScrollArea>
#include <QPoint>

namespace console {
class CommandSession;
struct KeyPress;
}

class CCmdView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CCmdView(QWidget* parent = nullptr);

    // The session shown; nullptr shows the last screen with no cursor.
    void setSession(console::CommandSession* session);
    console::CommandSession* session() const { return m_session; }

    // Takes the output that arrived and repaints.
    void refresh();

    int cellWidth() const { return m_cellW; }
    int cellHeight() const { return m_cellH; }
    // The model size the view asks for.
    int columnsFit() const;
    int rowsFit() const;

    bool hasSelection() const { return m_selecting || m_anchor != m_end; }
    QString selectedText() const;
    void copySelection();
    void pasteClipboard();
    void clearSelection();

    // The 16 console colours.
    static QColor colour(int index);

signals:
    // A key was typed while no interpreter runs: the owner may start a new one.
    void sessionWanted();
    // Ctrl+Break: the window is asked to close.
    void closeRequested();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The key as the session takes it; false for keys left to the window.
    bool translate(const QKeyEvent* e, console::KeyPress& k) const;
    QPoint cellAt(const QPoint& pos) const; // (column, row number)
    void fitModel();
    void updateScrollBar(bool follow);

    console::CommandSession* m_session = nullptr;
    int m_cellW = 8;
    int m_cellH = 16;
    // Selection ends as (column, row number counting dropped rows).
    QPoint m_anchor;
    QPoint m_end;
    bool m_selecting = false;
    qint64 m_droppedAtSelection = 0;
    quint64 m_revision = 0;
};
