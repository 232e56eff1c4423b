// The Edit menu's line and text commands through keys, menus and the context menu: text,
// selection and caret in; text, caret, clipboard and undo steps out.
#include "EditingFixture.h"

namespace {

struct EditCommandsTest : EditingFixture {};

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

struct Case {
    const char* name;
    int id;
    Qt::Key key;                 // Qt::Key_unknown: the Edit menu item
    Qt::KeyboardModifiers mods;
    const char* text;
    long anchor, caret;
    const char* expected;
    long expectedCaret;          // -1: not checked
    int undoSteps;               // 0: nothing to undo
    const char* clipboard;       // nullptr: not checked
};

const Case kCases[] = {
    {"move up", cmd::EditMoveUp, Qt::Key_Up, Ctrl, "a\nbb\nc", 3, 3, "bb\na\nc", 0, 1, nullptr},
    {"move up on the first line", cmd::EditMoveUp, Qt::Key_Up, Ctrl, "a\nb", 1, 1, "a\nb", -1, 0, nullptr},
    {"move down", cmd::EditMoveDown, Qt::Key_Down, Ctrl, "aa\nb\nc", 1, 1, "b\naa\nc", 2, 1, nullptr},
    {"move down on the last line", cmd::EditMoveDown, Qt::Key_Down, Ctrl, "a\nb", 3, 3, "a\nb", -1, 0, nullptr},
    {"duplicate line", cmd::EditDuplicate, Qt::Key_D, Ctrl, "ab\nc", 1, 1, "ab\nab\nc", -1, 1, nullptr},
    {"duplicate selection", cmd::EditDuplicate, Qt::Key_D, Ctrl, "abc", 0, 2, "ababc", -1, 1, nullptr},
    {"delete line", cmd::EditDeleteLine, Qt::Key_L, CtrlShift, "a\nb\nc", 2, 2, "a\nc", 2, 1, nullptr},
    {"cut line", cmd::EditCutLine, Qt::Key_L, Ctrl, "a\nb\nc", 2, 2, "a\nc", -1, 1, "b\n"},
    {"copy line", cmd::EditCopyLine, Qt::Key_T, CtrlShift, "a\nb", 0, 0, "a\nb", 0, 0, "a\n"},
    {"lowercase", cmd::EditLowercase, Qt::Key_U, Ctrl, "ABC", 0, 2, "abC", -1, 1, nullptr},
    {"uppercase", cmd::EditUppercase, Qt::Key_U, CtrlShift, "abc", 1, 3, "aBC", -1, 1, nullptr},
    {"delete selection", cmd::EditDelete, Qt::Key_unknown, {}, "abc", 0, 2, "c", 0, 1, nullptr},
    {"join lines", cmd::EditJoinLines, Qt::Key_unknown, {}, "a\nb\nc", 0, 5, "a b c", -1, 1, nullptr},
    {"delete empty lines", cmd::EditDeleteEmptyLines, Qt::Key_unknown, {}, "a\n\t\n  \nb\n\nc\n \t", 10, 10,
     "a\nb\nc\n", 4, 1, nullptr},
    {"delete empty lines, caret on a blank line", cmd::EditDeleteEmptyLines, Qt::Key_unknown, {}, "a\n\nb", 2, 2,
     "a\nb", 2, 1, nullptr},
    {"trim trailing space", cmd::EditTrimTrailing, Qt::Key_unknown, {}, "a  \n\t\t\nb\t \nc", 0, 0,
     "a\n\nb\nc", -1, 1, nullptr},
    {"tabs to spaces", cmd::EditTabsToSpaces, Qt::Key_unknown, {}, "\t\tx\na\tb\n \ty", 0, 0,
     "        x\na\tb\n     y", -1, 1, nullptr},
    {"spaces to tabs", cmd::EditSpacesToTabs, Qt::Key_unknown, {}, "      x\n\t    y\n   z", 0, 0,
     "\t  x\n\t\ty\n   z", -1, 1, nullptr},
    {"tabs to spaces with none", cmd::EditTabsToSpaces, Qt::Key_unknown, {}, "a\tb", 0, 0, "a\tb", -1, 0, nullptr},
};

TEST_F(EditCommandsTest, CommandsThroughKeysAndMenus)
{
    start();
    int n = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        CTextView* v = openAndFocus(QStringLiteral("case%1.txt").arg(n++), c.text);
        ASSERT_TRUE(v);
        v->SendScintilla(SB::SCI_SETTABWIDTH, 4UL);
        v->setSel(c.anchor, c.caret);
        QApplication::clipboard()->setText(QStringLiteral("unchanged"));
        if (c.key != Qt::Key_unknown)
            key(v, c.key, c.mods);
        else
            choose("menu_edit", c.id);
        EXPECT_EQ(v->text(), c.expected);
        if (c.expectedCaret >= 0) {
            EXPECT_EQ(v->currentPos(), c.expectedCaret);
        }
        if (c.clipboard) {
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.clipboard);
        }
        EXPECT_EQ(undoSteps(v, c.text), c.undoSteps);
        child->closeDocument();
        pump();
    }
}

TEST_F(EditCommandsTest, SwapWithClipboardMovesTextNotBytes)
{
    start();
    // A file in the ANSI code page: the "é" is one byte in the file.
    CTextView* v = openAndFocus("ansi.txt", "a\xe9z");
    ASSERT_TRUE(v);
    v->setSel(1, 1 + long(std::string("\xc3\xa9").size()));
    QApplication::clipboard()->setText(QString::fromUtf8("\xc3\xbc" "1"));
    choose("menu_edit", cmd::EditSwapClipboard);
    EXPECT_EQ(v->text(), "a\xc3\xbc" "1z");
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xc3\xa9"));
    EXPECT_EQ(undoSteps(v, "a\xc3\xa9z"), 1);
}

TEST_F(EditCommandsTest, MoveUpThenOneUndoRestores)
{
    start();
    CTextView* v = openAndFocus("m.txt", "one\ntwo\nthree");
    ASSERT_TRUE(v);
    v->setSel(9, 9);
    key(v, Qt::Key_Up, Ctrl);
    key(v, Qt::Key_Up, Ctrl);
    EXPECT_EQ(v->text(), "three\none\ntwo");
    EXPECT_EQ(v->currentPos(), 0);
    key(v, Qt::Key_Up, Ctrl);   // first line: nothing
    key(v, Qt::Key_Z, Ctrl);
    EXPECT_EQ(v->text(), "one\nthree\ntwo");
}

TEST_F(EditCommandsTest, ContextMenuCopiesFileNames)
{
    start();
    CTextView* v = openAndFocus("sub/name.txt", "x");
    ASSERT_TRUE(v);
    const QString path = files.filePath("sub/name.txt");
    const std::pair<int, QString> cases[] = {
        {cmd::EditCopyFileName, "name.txt"},
        {cmd::EditCopyFilePath, QFileInfo(path).absolutePath()},
        {cmd::EditCopyFullPath, path},
    };
    for (const auto& [id, expected] : cases) {
        QApplication::clipboard()->clear();
        chooseFromContextMenu(v, id);
        EXPECT_EQ(QDir::cleanPath(QApplication::clipboard()->text()), QDir::cleanPath(expected)) << id;
    }
    // A new document has no file.
    choose("menu_file", cmd::FileNew);
    pump(10);
    CTextView* fresh = frame->activeChild()->textView();
    ASSERT_TRUE(fresh);
    fresh->setFocus();
    pump();
    chooseFromContextMenu(fresh, cmd::EditCopyFileName);
    EXPECT_EQ(QApplication::clipboard()->text(), "<new>");
    chooseFromContextMenu(fresh, cmd::EditCopyFullPath);
    EXPECT_EQ(QApplication::clipboard()->text(), "<new>");
}

TEST_F(EditCommandsTest, ContextMenuItemsAct)
{
    start();
    CTextView* v = openAndFocus("c.txt", "Ab  \n\n\tx\n");
    ASSERT_TRUE(v);
    v->SendScintilla(SB::SCI_SETTABWIDTH, 2UL);
    v->setSel(0, 2);
    chooseFromContextMenu(v, cmd::EditUppercase);
    EXPECT_EQ(v->text(), "AB  \n\n\tx\n");
    v->setSel(0, 2);
    chooseFromContextMenu(v, cmd::EditLowercase);
    chooseFromContextMenu(v, cmd::EditTrimTrailing);
    chooseFromContextMenu(v, cmd::EditDeleteEmptyLines);
    chooseFromContextMenu(v, cmd::EditTabsToSpaces);
    EXPECT_EQ(v->text(), "ab\n  x\n");
    chooseFromContextMenu(v, cmd::EditSpacesToTabs);
    EXPECT_EQ(v->text(), "ab\n\tx\n");
    v->setSel(0, 0);
    chooseFromContextMenu(v, cmd::EditDuplicate);
    EXPECT_EQ(v->text(), "ab\nab\n\tx\n");
}

TEST_F(EditCommandsTest, UseTabsTogglesTheViewOnly)
{
    start();
    CTextView* v = openAndFocus("t.txt", "x");
    ASSERT_TRUE(v);
    const bool before = v->SendScintilla(SB::SCI_GETUSETABS) != 0;
    choose("menu_document", cmd::DocUseTabs);
    EXPECT_EQ(v->SendScintilla(SB::SCI_GETUSETABS) != 0, !before);
    QMenu* menu = frame->commandUi()->popup("menu_document");
    emit menu->aboutToShow();
    for (QAction* a : menu->actions())
        if (a->data().toInt() == cmd::DocUseTabs) {
            EXPECT_EQ(a->isChecked(), !before);
        }
}

} // namespace
