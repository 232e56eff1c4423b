#pragma once
// A real main frame with its panels, driven by keys, menus and the toolbar.
#include "FrameFixture.h"

#include "app/FrameShell.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "framework/widgets/PanelHost.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

using framework::PanelHost;

struct PanelFixture : FrameFixture {
    QByteArray ini;   // written as velmo.ini before the settings are read

    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write(ini);
    }

    // A fresh AppSettings over the same velmo.ini, as a new run would read it.
    void restartSettings() { settings = std::make_unique<AppSettings>(program.path()); }

    void startActive(const QStringList& args = {})
    {
        start(args);
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // Ends the run as the user does, through the window's close.
    void closeFrame()
    {
        frame->close();
        frame.reset();
        pump();
    }

    PanelHost* panels() const { return frame->shell()->panels(); }
    framework::DockPanel* side() const { return panels()->panel(PanelHost::Side); }
    framework::DockPanel* bottom() const { return panels()->panel(PanelHost::Bottom); }

    // The widget that receives keys: the focused one, or the frame.
    QWidget* keyTarget() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : frame.get();
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(keyTarget(), Qt::Key(key), mods);
        pump();
    }
    void menu(int id)
    {
        QAction* a = frame->commandUi()->menuAction(id);
        ASSERT_TRUE(a) << id;
        ASSERT_TRUE(a->isEnabled()) << id;
        a->trigger();
        pump();
    }
    void toolButton(int id)
    {
        QAction* a = frame->commandUi()->toolAction(id);
        ASSERT_TRUE(a) << id;
        a->trigger();
        pump();
    }
    // The checked state a menu item shows when its menu opens.
    bool menuChecked(int id)
    {
        // The menu bar's menus apply the states of their items and submenus as they open.
        for (QAction* top : frame->commandUi()->menuBar()->actions())
            if (QMenu* popup = top->menu())
                emit popup->aboutToShow();
        return frame->commandUi()->menuAction(id)->isChecked();
    }
    int uiState(const char* key) { return settings->ReadInt("UISTATE", key, -999); }
};
