#pragma once
// Mouse and key input on the document area that the editor gives a meaning to: Esc in a
// document, double clicks on the empty area, on a tab and on the free part of the tab
// strip, and the document buttons (minimise, restore, close) at the end of the menu bar.
#include <QObject>
#include <QPointer>

class QMdiArea;
class QMenuBar;
class QTabBar;
class QWidget;

namespace framework {

// What a double click on the empty document area does, from the option word's bits 6-7.
enum class AreaDoubleClick { OpenDialog, NewDocument, Nothing };
AreaDoubleClick areaDoubleClickAction(unsigned editorMask);

class DocumentAreaInput : public QObject {
    Q_OBJECT
public:
    explicit DocumentAreaInput(QMdiArea* area);

    // Shows the document buttons in the menu bar's corner while `on` and a document is open.
    void setCaptionButtons(QMenuBar* menuBar, bool on);
    void refreshCaptionButtons();

signals:
    void escapeInDocument();
    void emptyAreaDoubleClicked();
    void tabDoubleClicked(int index);
    void tabStripSpaceDoubleClicked();
    void closeDocumentRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabBar* tabBar() const;
    bool inDocument(QWidget* w) const;

    QMdiArea* m_area;
    QPointer<QMenuBar> m_menuBar;
    QPointer<QWidget> m_buttons;
    bool m_captionButtons = false;
};

} // namespace framework
