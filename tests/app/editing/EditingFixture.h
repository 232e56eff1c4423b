#pragma once
// A real main frame with a document open and focused; commands are given as a user
// gives them: key presses into the view, menu items, context-menu items.
#include "FrameFixture.h"

#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

using SB = QsciScintillaBase;

struct EditingFixture : FrameFixture {
    CChildFrame* child = nullptr;

    CTextView* openAndFocus(const QString& name, const QByteArray& bytes)
    {
        child = frame->OpenFile(write(name, bytes));
        if (!child || !child->textView()) {
            ADD_FAILURE() << "no text view";
            return nullptr;
        }
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get()))
            ADD_FAILURE() << "the frame did not become active";
        child->textView()->setFocus();
        pump(10);
        return child->textView();
    }

    static void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(w, k, m);
        pump();
    }

    static void type(QWidget* w, const char* text)
    {
        QTest::keyClicks(w, QString::fromUtf8(text));
        pump();
    }

    // A main-menu item, chosen after the menu computed its states; it must be enabled.
    void choose(const char* popupName, int id)
    {
        QMenu* menu = frame->commandUi()->popup(popupName);
        ASSERT_TRUE(menu) << popupName;
        emit menu->aboutToShow();
        for (QAction* a : menu->actions())
            if (a->data().toInt() == id) {
                ASSERT_TRUE(a->isEnabled()) << "item " << id << " is disabled";
                a->trigger();
                pump();
                return;
            }
        FAIL() << "no item " << id;
    }

    // An item of the text view's context menu, opened with the menu key.
    void chooseFromContextMenu(CTextView* v, int id)
    {
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(1, 1), v->viewport()->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(v->viewport(), &e);
        pump(10);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QAction* found = nullptr;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->data().toInt() == id)
                found = a;
        ASSERT_TRUE(found) << "no context item " << id;
        ASSERT_TRUE(found->isEnabled()) << "context item " << id << " is disabled";
        found->trigger();
        menu->close();
        pump();
    }

    // Undo steps back to `original`: 0 when nothing can be undone.
    static int undoSteps(CTextView* v, const std::string& original)
    {
        int steps = 0;
        while (v->canUndo() && steps < 20) {
            v->undo();
            ++steps;
            if (v->text() == original)
                break;
        }
        if (v->text() != original)
            return -1;
        return steps;
    }
};
