// Each page's controls against velmo.ini and the values in force.
#include "OptionsFixture.h"

#include "app/RecentFiles.h"
#include "app/SearchCommands.h"
#include "app/commands/CommandUi.h"
#include "documents/text/TextView.h"
#include "language/LanguageStyler.h"
#include "search/widgets/FindView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>

using namespace options;

namespace {

struct OptionsPagesTest : OptionsFixture {};

TEST_F(OptionsPagesTest, GeneralPageStoresItsBitsAndTheRecentListSize)
{
    // Bits no option sets (5, 30, 31) and bits of other pages survive.
    withIni("[EDITOR]\nEditorMask=-1073741792\nMRUSize=40\n");   // bits 5, 30, 31
    start();
    for (int i = 0; i < 8; ++i)
        frame->addToRecent(write(QStringLiteral("f%1.txt").arg(i), "x"));
    open(GeneralPage);
    auto* mru = control<QSpinBox>(GeneralPage, 120);
    EXPECT_EQ(mru->value(), 16) << "read clamped to 2-16";
    EXPECT_EQ(mru->minimum(), 2);
    EXPECT_EQ(mru->maximum(), 16);
    EXPECT_EQ(control<QCheckBox>(GeneralPage, 105)->text(), "Minimize to system &tray");
    const int ids[] = {100, 101, 102, 103, 104, 105};
    const int bits[] = {0, 1, 2, 3, 8, 24};
    for (int id : ids)
        clickBox(control<QCheckBox>(GeneralPage, id));
    type(mru, 3);
    press(100);
    unsigned want = 0xC0000020u;
    for (int b : bits)
        want |= 1u << b;
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), want);
    EXPECT_EQ(settings->editorMask, want);
    EXPECT_EQ(iniInt("EDITOR", "MRUSize"), 3);
    EXPECT_EQ(frame->recentFiles().entries().size(), 3) << "the recent list shrinks at once";
}

TEST_F(OptionsPagesTest, GeneralPageTurnsTheHtmlAssociationOnAndOffInTheDesktopFiles)
{
    QTemporaryDir xdg;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (xdg.path() + "/config").toUtf8());
    QDir().mkpath(xdg.path() + "/config");
    const QByteArray otherLines = "[Default Applications]\ntext/html=firefox.desktop\n";
    QFile list(xdg.path() + "/config/mimeapps.list");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(otherLines);
    list.close();

    start();
    open(GeneralPage);
    auto* browser = control<QCheckBox>(GeneralPage, 106);
    ASSERT_TRUE(browser->isEnabled());
    EXPECT_FALSE(browser->isChecked());
    clickBox(browser);
    press(100);
    EXPECT_TRUE(QFile::exists(xdg.path() + "/data/applications/velmo.desktop"));
    const QByteArray on = read(xdg.path() + "/config/mimeapps.list");
    EXPECT_TRUE(on.contains("[Added Associations]")) << on.constData();
    EXPECT_TRUE(on.contains("velmo.desktop")) << on.constData();
    EXPECT_TRUE(on.startsWith(otherLines)) << "the default stays the user's";

    // Shown again, the page reads the state back; turning it off restores the file.
    open(GeneralPage);
    browser = control<QCheckBox>(GeneralPage, 106);
    EXPECT_TRUE(browser->isChecked());
    clickBox(browser);
    press(1);
    EXPECT_FALSE(QFile::exists(xdg.path() + "/data/applications/velmo.desktop"));
    EXPECT_EQ(read(xdg.path() + "/config/mimeapps.list"), otherLines);

    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldData.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(OptionsPagesTest, DocumentPageStoresBitsLanguageAndEncoding)
{
    withIni("[EDITOR]\nEditorMask=0\nDefaultScheme=a.cpp\n");
    start();
    open(DocumentPage);
    auto* remember = control<QCheckBox>(DocumentPage, 103);
    EXPECT_TRUE(remember->isChecked()) << "checked while bit 25 is clear";
    EXPECT_EQ(control<QCheckBox>(DocumentPage, 101)->text(), "Doucle click tab close file");
    auto* encoding = control<QComboBox>(DocumentPage, 121);
    EXPECT_EQ(encoding->currentText(), "ANSI");
    clickBox(remember);
    clickBox(control<QCheckBox>(DocumentPage, 100));
    clickBox(control<QCheckBox>(DocumentPage, 106));
    clickBox(control<QRadioButton>(DocumentPage, 112));
    encoding->setCurrentIndex(encoding->findText("UTF-16 Big Endian"));
    auto* language = control<QLineEdit>(DocumentPage, 120);
    EXPECT_EQ(language->text(), "a.cpp");
    EXPECT_EQ(language->maxLength(), 127);
    language->clear();   // an empty field leaves the language as it was
    press(1);
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), (1u << 25) | (1u << 4) | (1u << 28) | 0x80u);
    EXPECT_EQ(iniInt("EDITOR", "DefaultEncoding"), 1);
    EXPECT_EQ(iniString("EDITOR", "DefaultScheme"), "a.cpp");
    EXPECT_EQ(settings->defaultEncoding, 1);

    open(DocumentPage);
    EXPECT_EQ(control<QComboBox>(DocumentPage, 121)->currentText(), "UTF-16 Big Endian");
    EXPECT_FALSE(control<QCheckBox>(DocumentPage, 103)->isChecked());
    EXPECT_TRUE(control<QRadioButton>(DocumentPage, 112)->isChecked());
    control<QLineEdit>(DocumentPage, 120)->setText("x.py");
    press(1);
    EXPECT_EQ(iniString("EDITOR", "DefaultScheme"), "x.py");
    EXPECT_EQ(settings->defaultScheme, "x.py");
}

TEST_F(OptionsPagesTest, EditPageKeepsItsControlsToWhatTheSettingsKeep)
{
    withIni("[EDITOR]\nLineEdgePos=250\nLineTransparent=80\nTabSize=8\n");
    start();
    open(EditPage);
    auto* edge = control<QSpinBox>(EditPage, 134);
    auto* alpha = control<QSlider>(EditPage, 139);
    auto* alphaField = control<QSpinBox>(EditPage, 138);
    auto* tab = control<QSpinBox>(EditPage, 130);
    EXPECT_EQ(edge->value(), 250);
    EXPECT_EQ(edge->maximum(), 300);
    EXPECT_EQ(alpha->maximum(), 100);
    EXPECT_EQ(alpha->value(), 80);
    EXPECT_EQ(tab->maximum(), 255) << "256 would be stored as 0 and read back as 4";
    EXPECT_FALSE(alpha->isEnabled()) << "the slider follows Transparent";
    QLabel* position = nullptr;
    for (QLabel* l : dlg->page(EditPage)->window()->findChildren<QLabel*>())
        if (l->text() == "&Position:")
            position = l;
    ASSERT_TRUE(position);
    EXPECT_EQ(position->buddy(), edge) << "the mnemonic leads to the field";
    clickBox(control<QCheckBox>(EditPage, 119));
    EXPECT_TRUE(alpha->isEnabled());
    type(edge, 900);
    EXPECT_LE(edge->value(), 300);
    alphaField->setValue(100);
    EXPECT_EQ(alpha->value(), 100);
    type(tab, 12);
    type(control<QSpinBox>(EditPage, 132), 3);
    clickBox(control<QRadioButton>(EditPage, 111));
    clickBox(control<QRadioButton>(EditPage, 115));
    pick(control<CColorButton>(EditPage, 136), "color16");   // Red
    press(100);
    EXPECT_EQ(iniInt("EDITOR", "LineEdgePos"), edge->value());
    EXPECT_EQ(iniInt("EDITOR", "LineTransparent"), 100);
    EXPECT_EQ(iniInt("EDITOR", "TabSize"), 12);
    EXPECT_EQ(iniInt("EDITOR", "IndentSize"), 3);
    EXPECT_EQ(iniInt("EDITOR", "LineEdgeColor"), 0x0000FF);
    EXPECT_EQ(iniInt("EDITOR", "HighLightColor"), 0xFFFFFF) << "a button left at default stores its default";
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), (1u << 20) | (2u << 18) | (1u << 17));
    settings->reload();
    EXPECT_EQ(settings->lineEdgePos, edge->value()) << "what was stored reads back unchanged";
    EXPECT_EQ(settings->lineTransparent, 100);
}

TEST_F(OptionsPagesTest, EditPageOkReappliesTheOpenDocumentsCancelAndVisitingDoNot)
{
    withIni("[EDITOR]\nEditorMask=512\n");
    start();
    CChildFrame* doc = frame->OpenFile(write("a.cpp", "int main() {}\n"));
    ASSERT_TRUE(doc && doc->textView());
    CTextView* view = doc->textView();
    auto margin = [&] { return int(view->SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, 0UL)); };
    auto whitespace = [&] { return int(view->SendScintilla(QsciScintillaBase::SCI_GETVIEWWS)); };
    EXPECT_EQ(margin(), 0);
    // The View menu changed the view's own flags: visiting the page or Cancel keeps them.
    view->setViewFlags(view->viewFlags() | kViewWhiteSpace);
    doc->applyLanguage(doc->languageIndex(), true);
    ASSERT_NE(whitespace(), 0);

    open(EditPage);
    press(1);
    EXPECT_NE(whitespace(), 0) << "merely visiting the page re-applies nothing";

    open(EditPage);
    clickBox(control<QCheckBox>(EditPage, 102));
    press(2);
    EXPECT_EQ(margin(), 0);
    EXPECT_NE(whitespace(), 0);

    open(EditPage);
    clickBox(control<QCheckBox>(EditPage, 102));   // Show Line Numbers
    press(100);
    EXPECT_EQ(margin(), 0) << "Apply alone waits for OK";
    select(GeneralPage);
    press(1);
    EXPECT_GT(margin(), 0);
    EXPECT_EQ(whitespace(), 0) << "the view takes its options from the settings again";
    EXPECT_EQ(view->viewFlags(), ViewFlagsFromMask(512u | (1u << 11)));
}

TEST_F(OptionsPagesTest, FontPageEditsTheSchemesAndReappliesTheBaseFont)
{
    withIni("[FONT]\n1=font:Courier New,size:10,eolfilled\n2=font:DejaVu Sans Mono,size:12,back:#CCE8CF\n"
              "4=font:Other\nCurSel=2\n");
    start();
    open(pageForCommand(689));
    ASSERT_EQ(dlg->currentPage(), FontPage);
    auto* item = control<QComboBox>(FontPage, 124);
    ASSERT_EQ(item->count(), 2) << "the list ends at the first missing number";
    EXPECT_EQ(item->itemText(0), "Font 1");
    EXPECT_EQ(item->currentIndex(), 1) << "CurSel is selected first";
    auto* value = control<QLineEdit>(FontPage, 122);
    auto* sample = control<QLabel>(FontPage, 121);
    EXPECT_TRUE(value->isReadOnly());
    EXPECT_EQ(value->text(), "font:DejaVu Sans Mono,size:12,back:#CCE8CF");
    EXPECT_EQ(sample->text(), "Hello Velmo!");
    EXPECT_EQ(control<QComboBox>(FontPage, 120)->currentText(), "DejaVu Sans Mono");
    EXPECT_FALSE(button(100)->isEnabled());

    clickBox(control<QCheckBox>(FontPage, 107));
    type(control<QSpinBox>(FontPage, 125), 14);
    pick(control<CColorButton>(FontPage, 126), "color13");   // Blue
    EXPECT_EQ(value->text(), "font:DejaVu Sans Mono,size:14,fore:#0000FF,back:#CCE8CF,bold");
    EXPECT_TRUE(sample->font().bold());
    EXPECT_EQ(sample->font().pointSize(), 14);
    EXPECT_EQ(sample->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(button(100)->isEnabled());

    // The first scheme is looked at only: its stored text stays as it was.
    item->setCurrentIndex(0);
    EXPECT_EQ(value->text(), "font:Courier New,size:10");
    EXPECT_EQ(control<QComboBox>(FontPage, 120)->currentText(), "Courier New") << "kept though not installed";
    press(1);
    EXPECT_EQ(iniString("FONT", "2"), "font:DejaVu Sans Mono,size:14,fore:#0000FF,back:#CCE8CF,bold");
    EXPECT_EQ(iniString("FONT", "1"), "font:Courier New,size:10,eolfilled");
    EXPECT_EQ(iniInt("FONT", "CurSel"), 1);
    EXPECT_EQ(frame->fontScheme(), "font:Courier New,size:10,eolfilled") << "the selected scheme is in use";
}

TEST_F(OptionsPagesTest, FontPageWithoutSchemesWritesNothing)
{
    start();
    open(FontPage);
    EXPECT_EQ(control<QComboBox>(FontPage, 124)->count(), 0);
    EXPECT_FALSE(control<QComboBox>(FontPage, 120)->isEnabled());
    const QByteArray before = read(ini());
    dlg->page(FontPage);
    QString error;
    EXPECT_TRUE(dlg->page(FontPage)->apply(&error));
    EXPECT_EQ(read(ini()), before);
    EXPECT_EQ(frame->fontScheme(), "font:fixedsys,back:#CCE8CF");
}

TEST_F(OptionsPagesTest, ColorPageStoresAllEightAndRecoloursThePanels)
{
    withIni("[EDITOR]\nFind1Back=255\n");
    start();
    open(ColorPage);
    auto* find1Back = control<CColorButton>(ColorPage, 127);
    EXPECT_TRUE(find1Back->isDefault());
    EXPECT_EQ(find1Back->color(), 255);
    pick(find1Back, "color39");   // White
    EXPECT_EQ(find1Back->color(), 0xFFFFFF);
    pick(find1Back, "automatic");
    EXPECT_TRUE(find1Back->isDefault());
    pick(control<CColorButton>(ColorPage, 124), "color5");   // Dark blue, Find Result 1 text
    CColorButton::setChooser([](const QColor&, QWidget*) { return QColor(1, 2, 3); });
    pick(control<CColorButton>(ColorPage, 120), "more");      // Find Result 2 background
    CColorButton::setChooser(nullptr);
    press(100);
    EXPECT_EQ(iniInt("EDITOR", "Find1Fore"), 139 << 16);
    EXPECT_EQ(iniInt("EDITOR", "Find1Back"), 255);
    EXPECT_EQ(iniInt("EDITOR", "Find2Back"), 0x030201);
    for (const char* key : {"TemplateFore", "SymbolFore", "Find2Fore"})
        EXPECT_EQ(iniInt("EDITOR", key), 0) << key;
    for (const char* key : {"TemplateBack", "SymbolBack"})
        EXPECT_EQ(iniInt("EDITOR", key), 0xFFFFFF) << key;
    search::CFindView* result = frame->searchCommands()->resultView(0);
    auto* list = result->findChild<QAbstractItemView*>();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(0, 0, 139)) << "the result view is recoloured at once";
    EXPECT_EQ(settings->find2Back, 0x030201);
}

TEST_F(OptionsPagesTest, ColorPaletteHasTheFortyColoursInItsGrid)
{
    start();
    open(ColorPage);
    auto* b = control<CColorButton>(ColorPage, 121);
    QTest::mouseClick(b, Qt::LeftButton);
    pump();
    QFrame* pal = b->paletteWindow();
    ASSERT_TRUE(pal);
    EXPECT_EQ(pal->findChild<QToolButton*>("automatic")->text(), QString::fromUtf8("自动"));
    EXPECT_EQ(pal->findChild<QToolButton*>("more")->text(), QString::fromUtf8("更多..."));
    EXPECT_EQ(pal->findChildren<QToolButton*>(QRegularExpression("^color\\d+$")).size(), 40);
    EXPECT_EQ(pal->findChild<QToolButton*>("color8")->toolTip(), "Dark red");
    auto* first = pal->findChild<QToolButton*>("color0");
    auto* ninth = pal->findChild<QToolButton*>("color8");
    EXPECT_EQ(ninth->x(), first->x()) << "eight columns";
    EXPECT_GT(ninth->y(), first->y());
    QTest::keyClick(pal, Qt::Key_Escape);
    pump();
    EXPECT_TRUE(b->isDefault());
    EXPECT_FALSE(button(100)->isEnabled());
}

TEST_F(OptionsPagesTest, MacroPageWritesOnlyTheFilledFields)
{
    withIni("[USER]\nCOMPANY=Old Co\n");
    start();
    open(MacroPage);
    auto* user = control<QLineEdit>(MacroPage, 120);
    auto* company = control<QLineEdit>(MacroPage, 121);
    EXPECT_EQ(user->text(), "YourName");
    EXPECT_EQ(company->text(), "Old Co");
    EXPECT_TRUE(control<QPlainTextEdit>(MacroPage, 123)->isReadOnly());
    user->selectAll();
    QTest::keyClicks(user, "Ann Lee");
    company->clear();
    press(1);
    EXPECT_EQ(iniString("USER", "USER"), "Ann Lee");
    EXPECT_EQ(iniString("USER", "COMPANY"), "Old Co");
    EXPECT_EQ(iniString("USER", "EMAIL"), "YourEmail");
}

TEST_F(OptionsPagesTest, UpdatePageStoresTheIntervalAndTheBit)
{
    withIni("[UPDATE]\nUpdateInterval=31\n");
    start();
    open(UpdatePage);
    auto* interval = control<QSpinBox>(UpdatePage, 120);
    EXPECT_EQ(interval->value(), 3) << "31 is read as 3";
    EXPECT_FALSE(interval->isEnabled());
    clickBox(control<QCheckBox>(UpdatePage, 100));
    EXPECT_TRUE(interval->isEnabled());
    type(interval, 0);
    EXPECT_GE(interval->value(), 1) << "0 days cannot be entered";
    type(interval, 7);
    press(1);
    EXPECT_EQ(iniInt("UPDATE", "UpdateInterval"), 7);
    EXPECT_EQ(unsigned(iniInt("EDITOR", "EditorMask")), 1u << 21);
    EXPECT_EQ(settings->updateInterval, 7);
}

} // namespace

TEST_F(OptionsPagesTest, ToolPageEditsTheToolsAndTheToolMenuFollowsOnApply)
{
    start();
    QMenu* menu = frame->commandUi()->popup("menu_tool");
    ASSERT_TRUE(menu);
    auto toolNames = [&] {
        QStringList out;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                break;
            out << a->text().section('\t', 0, 0);
        }
        return out;
    };
    const QStringList shipped = toolNames();
    ASSERT_FALSE(shipped.isEmpty());
    const QList<QByteArray> before = stores();

    open(ToolPage);
    auto* list = control<QListWidget>(ToolPage, 1017);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count(), shipped.size());
    EXPECT_EQ(list->currentRow(), 0);
    auto* name = control<QLineEdit>(ToolPage, 1207);
    EXPECT_EQ(name->text(), shipped[0]);
    EXPECT_FALSE(control<QToolButton>(ToolPage, 1107)->isEnabled()) << "the first row does not move up";

    // New: "<New Tool>" with flags 0x05, focus in Name with the text selected.
    QTest::mouseClick(control<QToolButton>(ToolPage, 1105), Qt::LeftButton);
    pump();
    EXPECT_EQ(list->count(), shipped.size() + 1);
    EXPECT_EQ(name->text(), "<New Tool>");
    EXPECT_TRUE(name->hasSelectedText());
    EXPECT_TRUE(control<QCheckBox>(ToolPage, 104)->isChecked());
    EXPECT_TRUE(control<QCheckBox>(ToolPage, 105)->isChecked());
    EXPECT_TRUE(button(100)->isEnabled());
    QTest::keyClicks(name, "Touch");
    EXPECT_EQ(list->currentItem()->text(), "Touch") << "the list row follows the name";
    auto* command = control<QPlainTextEdit>(ToolPage, 1209);
    command->setFocus();
    QTest::keyClicks(command, "touch touched.txt ?");
    // A separate process that is waited for, started in the test's folder.
    clickBox(control<QCheckBox>(ToolPage, 104));
    EXPECT_FALSE(control<QCheckBox>(ToolPage, 105)->isEnabled()) << "auto expand needs the command window";
    clickBox(control<QCheckBox>(ToolPage, 103));
    auto* dir = control<QLineEdit>(ToolPage, 1213);
    QTest::keyClicks(dir, files.path());
    QTest::mouseClick(control<QToolButton>(ToolPage, 1107), Qt::LeftButton);   // Move Up
    pump();

    // Cancel stores nothing.
    press(2);
    EXPECT_EQ(stores(), before);
    EXPECT_EQ(toolNames(), shipped);

    // The same edits applied: the Tool menu has the tool at its place and it runs.
    open(ToolPage);
    name = control<QLineEdit>(ToolPage, 1207);
    QTest::mouseClick(control<QToolButton>(ToolPage, 1105), Qt::LeftButton);
    pump();
    QTest::keyClicks(name, "Touch");
    command = control<QPlainTextEdit>(ToolPage, 1209);
    command->setFocus();
    QTest::keyClicks(command, "touch touched.txt");
    clickBox(control<QCheckBox>(ToolPage, 104));
    clickBox(control<QCheckBox>(ToolPage, 103));
    QTest::keyClicks(control<QLineEdit>(ToolPage, 1213), files.path());
    QTest::mouseClick(control<QToolButton>(ToolPage, 1107), Qt::LeftButton);
    pump();
    press(100);
    EXPECT_FALSE(button(100)->isEnabled());
    QStringList want = shipped;
    want.insert(want.size() - 1, "Touch");
    EXPECT_EQ(toolNames(), want);
    press(1);
    for (QAction* a : menu->actions())
        if (a->text().section('\t', 0, 0) == "Touch") {
            cmd::CommandUi::applyMenuStates(menu, frame->snapshot());
            ASSERT_TRUE(a->isEnabled());
            a->trigger();
        }
    pump(10);
    EXPECT_TRUE(QFile::exists(files.filePath("touched.txt")));
}

TEST_F(OptionsPagesTest, MuiPageStoresTheChosenTranslationForTheNextStart)
{
    withIni("[EDITOR]\nMUI=default\n");
    start();
    const QString folder = settings->Folder(AppSettings::LanguageFolder);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"Klingon.xml", ".hidden.xml"}) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<Velmo><mui langid=\"1\"/></Velmo>");
    }
    open(MuiPage);
    auto* list = dlg->page(MuiPage)->window()->findChild<QListWidget*>("languages");
    ASSERT_TRUE(list);
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    EXPECT_EQ(rows.first(), "Default");
    EXPECT_TRUE(rows.contains("Klingon.xml"));
    EXPECT_FALSE(rows.contains(".hidden.xml"));
    EXPECT_EQ(list->currentRow(), 0) << "the setting matches without regard to case";
    EXPECT_FALSE(button(100)->isEnabled());

    const int row = int(rows.indexOf("Klingon.xml"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    pump();
    EXPECT_TRUE(button(100)->isEnabled());
    press(100);
    EXPECT_EQ(iniString("EDITOR", "MUI"), "Klingon.xml");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Need restart velmo");
    press(1);
    EXPECT_EQ(box.shown.size(), 1u) << "OK applies nothing again";
}
