#pragma once
// The options dialog over a real main frame, its velmo.ini, registry store and velmo.db.
#include "FrameFixture.h"

#include "app/OptionsCommands.h"
#include "platform/ProfileFile.h"
#include "ui/widgets/ColorButton.h"
#include "ui/widgets/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

struct OptionsFixture : FrameFixture {
    std::unique_ptr<CAppOptionsHost> host;
    std::unique_ptr<options::COptionsDialog> dlg;

    // velmo.ini as the editor finds it at start (before start()).
    void withIni(const QByteArray& text)
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        f.close();
        settings = std::make_unique<AppSettings>(program.path());
    }

    void TearDown() override
    {
        dlg.reset();
        host.reset();
        FrameFixture::TearDown();
    }

    void open(int page)
    {
        dlg.reset();
        host = std::make_unique<CAppOptionsHost>(*frame);
        dlg = std::make_unique<options::COptionsDialog>(*host, page, frame.get());
        dlg->show();
        pump();
    }

    QString ini() const { return settings->settingsFile; }
    int iniInt(const char* section, const char* key, int def = -12345) const
    {
        return ProfileFile(ini()).readInt(section, key, def);
    }
    QString iniString(const char* section, const char* key) const
    {
        return ProfileFile(ini()).readString(section, key, "<none>");
    }
    // velmo.ini, the registry store and velmo.db as bytes.
    QList<QByteArray> stores()
    {
        return {read(ini()), read(data.filePath("registry.txt")), read(data.filePath("velmo.db"))};
    }

    QPushButton* button(int id) const
    {
        return dlg->findChild<QPushButton*>(QStringLiteral("id%1").arg(id), Qt::FindDirectChildrenOnly);
    }
    void press(int id)
    {
        QPushButton* b = button(id);
        ASSERT_TRUE(b);
        QTest::mouseClick(b, Qt::LeftButton);
        pump();
    }
    // Shows a page as a click on its list entry does.
    void select(int pageId)
    {
        auto* list = dlg->findChild<QListWidget*>(QStringLiteral("id103"));
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->data(Qt::UserRole).toInt() == pageId) {
                QRect r = list->visualItemRect(list->item(i));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            }
        pump();
        ASSERT_EQ(dlg->currentPage(), pageId);
    }
    template <class T>
    T* control(int pageId, int id)
    {
        options::COptionsPage* p = dlg->page(pageId);
        if (!p || !p->window())
            return nullptr;
        return p->window()->findChild<T*>(QStringLiteral("id%1").arg(id));
    }
    template <class T>
    T* shown(int pageId, int id)
    {
        select(pageId);
        T* c = control<T>(pageId, id);
        EXPECT_TRUE(c) << "no control " << id << " on page " << pageId;
        return c;
    }
    static void clickBox(QAbstractButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        pump();
    }
    static void type(QSpinBox* s, int value)
    {
        s->setFocus();
        s->selectAll();
        QTest::keyClicks(s, QString::number(value));
        QTest::keyClick(s, Qt::Key_Tab);
        pump();
    }
    // Opens a colour button's palette and clicks a named entry ("automatic", "more") or cell n.
    static void pick(options::CColorButton* b, const QString& entry)
    {
        QTest::mouseClick(b, Qt::LeftButton);
        pump();
        ASSERT_TRUE(b->paletteWindow());
        auto* cell = b->paletteWindow()->findChild<QToolButton*>(entry);
        ASSERT_TRUE(cell) << entry.toStdString();
        QTest::mouseClick(cell, Qt::LeftButton);
        pump();
    }
};
