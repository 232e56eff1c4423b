#pragma once
// A real main frame with the symbol panel: its docker and the panel's context menu, whose
// items the tests choose with the mouse as a user does.
#include "FrameFixture.h"

#include "app/SymbolCommands.h"
#include "symbols/widgets/FunctionDocker.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>

struct SymbolFixture : FrameFixture {
    using CFunctionDocker = symbols::CFunctionDocker;
    using CTagsTreeCtrl = symbols::CTagsTreeCtrl;

    CFunctionDocker* docker() { return frame->symbolCommands()->docker(); }

    // Opens the panel's context menu over the tree; null when none shows.
    QMenu* openMenu(CTagsTreeCtrl* t)
    {
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), t->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(t->viewport(), &e);
        pump();
        for (QMenu* m : docker()->findChildren<QMenu*>("symbolMenu"))
            if (m->isVisible())
                return m;
        return nullptr;
    }
    static QAction* action(QMenu* m, int id)
    {
        for (QAction* a : m->actions())
            if (a->data().toInt() == id)
                return a;
        return nullptr;
    }
    // Clicks the item `id` of an open menu; it must be there and enabled.
    void choose(QMenu* m, int id)
    {
        QAction* a = action(m, id);
        ASSERT_TRUE(a) << "no menu item " << id;
        ASSERT_TRUE(a->isEnabled());
        QTest::mouseClick(m, Qt::LeftButton, Qt::NoModifier, m->actionGeometry(a).center());
        pump();
    }
    // Opens the context menu over the tree and clicks its item `id`.
    void choose(CTagsTreeCtrl* t, int id)
    {
        QMenu* m = openMenu(t);
        ASSERT_TRUE(m);
        choose(m, id);
    }
};
