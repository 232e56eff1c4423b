#pragma once
// The pop-up list of Insert Template: 150 x 200 pixels at the caret, kept on the screen,
// listing the current group with the first row selected. Enter or a double click chooses
// a row and closes it; Escape or a click elsewhere closes it without a choice. Only one
// is open at a time.
#include "templates/TemplateStore.h"

#include <QListWidget>

#include <functional>
#include <vector>

namespace templates {

class CAutoListBox : public QListWidget {
    Q_OBJECT
public:
    using Chosen = std::function<void(qint64 id)>;

    static constexpr int Width = 150;
    static constexpr int Height = 200;

    // Closes any open pop-up, then opens one for `rows` with its top left corner near
    // `caretTop` (below the caret line, `lineHeight` high; above it when there is no room
    // below). `chosen` runs after the pop-up has closed.
    static CAutoListBox* open(QWidget* owner, const QPoint& caretTop, int lineHeight,
                              const std::vector<TemplateRow>& rows, Chosen chosen);
    // The open pop-up, or nullptr.
    static CAutoListBox* current();
    static void closeCurrent();

    // Where a pop-up goes on `screen` for a caret line at `caretTop`.
    static QPoint placement(const QRect& screen, const QPoint& caretTop, int lineHeight);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    explicit CAutoListBox(QWidget* owner);
    void choose(int row);

    Chosen m_chosen;
    bool m_done = false;
};

} // namespace templates
