#pragma once
// A real main frame with line numbers and syntax highlighting on, driven by keys, menu
// items and mouse clicks as a user drives it.
#include "FrameFixture.h"

#include "app/commands/CommandUi.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>

struct MarksFixture : FrameFixture {
    using SB = QsciScintillaBase;

    void writeIni() override
    {
        // Syntax highlighting (bit 9) and line numbers (bit 11) on.
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=2560\n");
    }



    static long sci(CTextView* v, unsigned msg, unsigned long w = 0, long l = 0)
    {
        return long(v->SendScintilla(msg, w, l));
    }
    static long caretLine(CTextView* v) { return v->lineFromPosition(v->currentPos()); }

    // A main-menu item chosen as a user would: the top menu opens (states are computed),
    // then the item of `popupName` (that menu or one of its submenus) is chosen.
    void choose(const char* popupName, int id, const char* topName = nullptr)
    {
        QMenu* menu = frame->commandUi()->popup(popupName);
        ASSERT_TRUE(menu) << popupName;
        emit frame->commandUi()->popup(topName ? topName : popupName)->aboutToShow();
        QAction* a = nullptr;
        for (QAction* x : menu->actions())
            if (x->data().toInt() == id)
                a = x;
        ASSERT_TRUE(a) << "no item " << id;
        ASSERT_TRUE(a->isEnabled()) << "item " << id << " is disabled";
        a->trigger();
        pump();
    }

    // Runs `action` on the next modal dialog as soon as it is up.
    static void onNextDialog(std::function<void(QWidget*)> action)
    {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, action] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                action(w);
            }
        });
        timer->start();
    }

    // Clicks margin `margin` beside `line` of the view.
    static void clickMargin(CTextView* v, int margin, long line, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        int x = 0;
        for (int i = 0; i < margin; ++i)
            x += int(sci(v, SB::SCI_GETMARGINWIDTHN, static_cast<unsigned long>(i)));
        x += int(sci(v, SB::SCI_GETMARGINWIDTHN, static_cast<unsigned long>(margin))) / 2;
        const long visible = v->visibleFromDocLine(line) - v->firstVisibleLine();
        const int h = int(sci(v, SB::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, m, QPoint(x, int(visible) * h + h / 2));
        pump();
    }
};
