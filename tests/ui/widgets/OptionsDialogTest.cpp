// The dialog itself: list, title band, pages made on first show, Apply, OK and Cancel, and
// what happens when the settings cannot be written.
#include "OptionsFixture.h"

#include <QPainter>
#include <sys/stat.h>

using namespace options;

namespace {

struct OptionsDialogTest : OptionsFixture {};

TEST_F(OptionsDialogTest, ListsThePagesAndMakesEachWhenFirstShown)
{
    start();
    open(GeneralPage);
    auto* list = dlg->findChild<QListWidget*>("id103");
    ASSERT_TRUE(list);
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    EXPECT_EQ(names, QStringList({"General", "Document", "Edit", "Font", "Color", "Key", "Favorite", "Macro", "Tool",
                                  "MUI", "Update", "File Window"}));
    EXPECT_EQ(dlg->windowTitle(), "Options");
    EXPECT_EQ(dlg->currentPage(), GeneralPage);
    EXPECT_TRUE(dlg->page(GeneralPage)->isCreated());
    EXPECT_FALSE(dlg->page(EditPage)->isCreated());
    EXPECT_FALSE(button(100)->isEnabled()) << "Apply starts disabled";
    EXPECT_EQ(button(1)->text(), "OK");
    EXPECT_EQ(button(2)->text(), "Cancel");
    EXPECT_EQ(button(100)->text(), "Apply");

    auto* title = dlg->findChild<COptionsTitle*>("id102");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->title(), "General");
    select(EditPage);
    EXPECT_EQ(title->title(), "Edit");
    EXPECT_TRUE(dlg->page(EditPage)->isCreated());
    EXPECT_TRUE(dlg->page(EditPage)->window()->isVisible());
    EXPECT_FALSE(dlg->page(GeneralPage)->window()->isVisible());
    // Visiting every page changes nothing.
    for (int p : {DocumentPage, FontPage, ColorPage, KeyPage, FavoritePage, MacroPage, ToolPage, MuiPage, UpdatePage,
                  FileWindowPage, GeneralPage})
        select(p);
    EXPECT_FALSE(button(100)->isEnabled());

    // The band: dark grey on the left, the button face on the right, the name in white.
    QImage img(title->size(), QImage::Format_RGB32);
    title->render(&img);
    EXPECT_EQ(QColor(img.pixel(0, img.height() - 1)), QColor(0x66, 0x66, 0x66));
    EXPECT_EQ(QColor(img.pixel(img.width() - 1, img.height() - 1)), title->palette().color(QPalette::Button));
    bool white = false;
    for (int x = 0; x < 60 && !white; ++x)
        for (int y = 0; y < img.height() && !white; ++y)
            white = QColor(img.pixel(x, y)) == QColor(Qt::white);
    EXPECT_TRUE(white) << "the page name is drawn in white";
}

TEST_F(OptionsDialogTest, OpensAtThePageTheCommandNames)
{
    start();
    const std::pair<int, int> cases[] = {{686, GeneralPage}, {687, ToolPage},     {688, KeyPage},        {689, FontPage},
                                         {690, FavoritePage}, {691, DocumentPage}, {692, FileWindowPage}};
    for (auto [command, page] : cases) {
        open(pageForCommand(command));
        EXPECT_EQ(dlg->currentPage(), page) << command;
        auto* list = dlg->findChild<QListWidget*>("id103");
        EXPECT_EQ(list->currentItem()->data(Qt::UserRole).toInt(), page);
    }
}

TEST_F(OptionsDialogTest, ApplyFollowsChangesAndCancelLeavesEveryStoreAsItWas)
{
    withIni("[EDITOR]\nEditorMask=0\n");
    start();
    frame->addToRecent(write("a.txt", "a"));   // the registry store exists
    pump();
    open(GeneralPage);
    auto* multiple = control<QCheckBox>(GeneralPage, 100);
    clickBox(multiple);
    EXPECT_TRUE(button(100)->isEnabled());
    press(100);
    EXPECT_FALSE(button(100)->isEnabled()) << "Apply is disabled after every Apply";
    EXPECT_EQ(iniInt("EDITOR", "EditorMask"), 1);
    EXPECT_EQ(settings->editorMask, 1u);

    // A change on every page, then Cancel: nothing is written anywhere.
    const QList<QByteArray> before = stores();
    ASSERT_FALSE(before[0].isEmpty());
    ASSERT_FALSE(before[1].isEmpty());
    clickBox(control<QCheckBox>(GeneralPage, 102));
    type(control<QSpinBox>(GeneralPage, 120), 5);
    shown<QComboBox>(DocumentPage, 121)->setCurrentIndex(4);
    clickBox(shown<QCheckBox>(EditPage, 102));
    pick(shown<CColorButton>(ColorPage, 121), "color13");
    QTest::keyClicks(shown<QLineEdit>(MacroPage, 120), "x");
    clickBox(shown<QCheckBox>(UpdatePage, 100));
    EXPECT_TRUE(button(100)->isEnabled());
    press(2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(stores(), before);
    EXPECT_EQ(settings->editorMask, 1u);
    EXPECT_EQ(settings->mruSize, 12);
    EXPECT_EQ(settings->templateFore, 0);
}

TEST_F(OptionsDialogTest, AFailedPageIsShownStoresNothingAndKeepsItsValues)
{
    withIni("[EDITOR]\nEditorMask=0\nMRUSize=12\n");
    start();
    open(GeneralPage);
    clickBox(control<QCheckBox>(GeneralPage, 101));
    type(control<QSpinBox>(GeneralPage, 120), 6);
    QLineEdit* user = shown<QLineEdit>(MacroPage, 120);
    user->selectAll();
    QTest::keyClicks(user, "Ann");
    const QByteArray before = read(ini());
    ASSERT_EQ(::chmod(QFile::encodeName(ini()).constData(), 0444), 0);

    box.shown.clear();
    press(100);
    ASSERT_EQ(box.shown.size(), 1u) << "one message names every page that failed";
    EXPECT_TRUE(box.shown[0].text.contains("General"));
    EXPECT_TRUE(box.shown[0].text.contains("Macro"));
    EXPECT_EQ(read(ini()), before);
    EXPECT_EQ(settings->editorMask, 0u) << "a page that was not stored does not take effect";
    EXPECT_EQ(settings->mruSize, 12);
    EXPECT_TRUE(button(100)->isEnabled()) << "the pages can be applied again";

    // OK keeps the dialog open so that nothing entered is lost; once writable, it goes through.
    press(1);
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(::chmod(QFile::encodeName(ini()).constData(), 0644), 0);
    press(1);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(iniInt("EDITOR", "EditorMask"), 2);
    EXPECT_EQ(iniInt("EDITOR", "MRUSize"), 6);
    EXPECT_EQ(iniString("USER", "USER"), "Ann");
    EXPECT_EQ(settings->mruSize, 6);
}

// A host whose store of the [USER] section fails, as a locked or unwritable store would.
struct RefusingHost : CAppOptionsHost {
    using CAppOptionsHost::CAppOptionsHost;
    bool store(const QList<SettingWrite>& writes) override
    {
        for (const SettingWrite& w : writes)
            if (w.section == "USER")
                return false;
        return CAppOptionsHost::store(writes);
    }
};

TEST_F(OptionsDialogTest, OnePageFailingLetsTheOthersApply)
{
    withIni("[EDITOR]\nEditorMask=0\n");
    start();
    RefusingHost refusing(*frame);
    dlg = std::make_unique<COptionsDialog>(refusing, GeneralPage, frame.get());
    dlg->show();
    pump();
    clickBox(control<QCheckBox>(GeneralPage, 100));
    QTest::keyClicks(shown<QLineEdit>(MacroPage, 121), "Co");
    clickBox(shown<QCheckBox>(UpdatePage, 100));
    box.shown.clear();
    press(100);
    EXPECT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(iniInt("EDITOR", "EditorMask"), 1 | (1 << 21));
    EXPECT_EQ(iniString("USER", "COMPANY"), "<none>");
    dlg.reset();
}

} // namespace
