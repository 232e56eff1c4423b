// Typing assistance in a real view: comments, closing tags, completion, call tips,
// indentation and brace jumps, driven by keys and menu items.
#include "EditingFixture.h"

#include "documents/text/Assist.h"
#include "language/LanguageTable.h"

namespace {

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

struct AssistTest : EditingFixture {
    void writeIni() override
    {
        // Syntax highlighting on: indentation and brace rules go by the text's styles.
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=512\n");
    }
    static std::string withoutCr(std::string s)
    {
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
        return s;
    }
    void writeApi(const QByteArray& bytes)
    {
        QFile f(settings->Folder(AppSettings::PropertiesFolder) + "/c.api");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(AssistTest, BlockCommentTogglesAndUndoesInOneStep)
{
    start();
    struct Case {
        const char* text;
        long anchor, caret;
        const char* commented;
    } cases[] = {
        {"int a;\nint b;\n", 0, 14, "// int a;\n// int b;\n"},
        {"  x;\n\n  y;\n", 0, 10, "  // x;\n\n  // y;\n"},
        {"a\n", 1, 1, "// a\n"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CTextView* v = openAndFocus(QStringLiteral("b%1.c").arg(n++), c.text);
        ASSERT_TRUE(v);
        v->setSel(c.anchor, c.caret);
        key(v, Qt::Key_Q, Ctrl);
        EXPECT_EQ(v->text(), c.commented);
        key(v, Qt::Key_Q, Ctrl);
        EXPECT_EQ(v->text(), c.text);
        key(v, Qt::Key_Z, Ctrl);
        EXPECT_EQ(v->text(), c.commented);
        EXPECT_EQ(undoSteps(v, c.text), 1);
        child->closeDocument();
        pump();
    }
}

TEST_F(AssistTest, CommentsNeedASavedDocument)
{
    start();
    choose("menu_file", cmd::FileNew);
    CChildFrame* c = frame->activeChild();
    ASSERT_TRUE(c && c->textView());
    c->chooseLanguage(LanguageTable::CommandForIndex(languages->FindLanguage("x.c")));
    CTextView* v = c->textView();
    v->setFocus();
    type(v, "int a;");
    v->setSel(0, 6);
    key(v, Qt::Key_Q, Ctrl);
    EXPECT_EQ(v->text(), "int a;");
}

TEST_F(AssistTest, BoxAndStreamComments)
{
    start();
    CTextView* v = openAndFocus("box.c", "a\nb\n");
    ASSERT_TRUE(v);
    const assist::Config& cfg = v->assist().config();
    v->setSel(0, 4);
    key(v, Qt::Key_B, CtrlShift);
    EXPECT_EQ(v->text(), cfg.commentBoxStart + " a\n" + cfg.commentBoxMiddle + " b\n" + cfg.commentBoxEnd + "\n");
    EXPECT_EQ(undoSteps(v, "a\nb\n"), 1);

    v->SendScintilla(SB::SCI_SETTEXT, 0UL, "int abc;");
    v->setSel(5, 5);
    key(v, Qt::Key_Q, CtrlShift);
    EXPECT_EQ(v->text(), "int /*abc*/;");
    EXPECT_EQ(v->anchor(), 6);
    EXPECT_EQ(v->currentPos(), 9);
    v->setSel(0, 0);   // at a word start: nothing
    key(v, Qt::Key_Q, CtrlShift);
    EXPECT_EQ(v->text(), "int /*abc*/;");
}

TEST_F(AssistTest, ClosingTagsWhenTypingGreaterThan)
{
    start();
    const std::pair<const char*, const char*> cases[] = {
        {"<item a=\"1\">", "<item a=\"1\"></item>"},
        {"<br/>", "<br/>"},
        {"<a></a>", "<a></a></a>"},   // the closing tag typed after the inserted one closes nothing
    };
    int n = 0;
    for (const auto& [typed, expected] : cases) {
        CTextView* v = openAndFocus(QStringLiteral("t%1.xml").arg(n++), "");
        ASSERT_TRUE(v);
        type(v, typed);
        if (std::string(typed) == "<item a=\"1\">") {
            EXPECT_EQ(v->text(), expected);
            EXPECT_EQ(v->currentPos(), 12);
            EXPECT_EQ(undoSteps(v, "<item a=\"1\">"), 1);
        } else if (std::string(typed) == "<br/>") {
            EXPECT_EQ(v->text(), expected);
        }
        child->closeDocument();
        pump();
    }
}

TEST_F(AssistTest, AutomaticWordCompletionShowsOnlyASingleCandidate)
{
    languages->Props().Assign("autocompleteword.automatic", "1");
    start();
    const std::pair<const char*, bool> cases[] = {
        {"alphabet beta\n", true},
        {"alphabet alpine\n", false},
        {"other words\n", false},
    };
    int n = 0;
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(text);
        CTextView* v = openAndFocus(QStringLiteral("w%1.txt").arg(n++), text);
        ASSERT_TRUE(v);
        key(v, Qt::Key_End, Ctrl);
        type(v, "alp");
        EXPECT_EQ(v->SendScintilla(SB::SCI_AUTOCACTIVE) != 0, shown);
        if (shown) {
            key(v, Qt::Key_Return);
            EXPECT_EQ(v->text(), std::string(text) + "alphabet");
        }
        child->closeDocument();
        pump();
    }
}

TEST_F(AssistTest, CompletionCommands)
{
    start();
    CTextView* v = openAndFocus("comp.c", "alpha alpine al");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End, Ctrl);
    key(v, Qt::Key_Return, Ctrl);   // Complete Word
    ASSERT_TRUE(v->SendScintilla(SB::SCI_AUTOCACTIVE));
    key(v, Qt::Key_Return);
    EXPECT_EQ(v->text(), "alpha alpine alpha");

    type(v, " strl");
    key(v, Qt::Key_I, Ctrl);        // Auto Complete from c.api
    ASSERT_TRUE(v->SendScintilla(SB::SCI_AUTOCACTIVE));
    key(v, Qt::Key_Return);
    EXPECT_EQ(v->text(), "alpha alpine alpha strlen");

    // A root of digits completes nothing.
    type(v, " 12 123");
    choose("menu_edit", cmd::EditCompleteWord);
    EXPECT_FALSE(v->SendScintilla(SB::SCI_AUTOCACTIVE));
}

TEST_F(AssistTest, CallTipsFromTheApiFile)
{
    writeApi("max(int a, int b) larger of two\nmax(long a, long b)\nmax(double a, double b)\nputs(const char *s)\n");
    start();
    CTextView* v = openAndFocus("tip.c", "");
    ASSERT_TRUE(v);
    type(v, "x = max(");
    ASSERT_TRUE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
    EXPECT_EQ(v->assist().callTipText(), "\001max(double a, double b)\n\002");
    type(v, "f(1), ");
    EXPECT_TRUE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
    type(v, "2)");
    EXPECT_FALSE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
    type(v, "; puts (");
    ASSERT_TRUE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
    EXPECT_EQ(v->assist().callTipText(), "puts(const char *s)");
    key(v, Qt::Key_Escape);
    // Show Calltip inside the parentheses.
    key(v, Qt::Key_Space, CtrlShift);
    EXPECT_TRUE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
    type(v, ");");
    key(v, Qt::Key_Return);
    type(v, "unknown(");
    EXPECT_FALSE(v->SendScintilla(SB::SCI_CALLTIPACTIVE));
}

TEST_F(AssistTest, AutomaticIndentation)
{
    start();
    CTextView* v = openAndFocus("ind.c", "\n");
    ASSERT_TRUE(v);
    v->SendScintilla(SB::SCI_SETINDENT, 4UL);
    v->SendScintilla(SB::SCI_SETUSETABS, 0UL);
    v->setSel(0, 0);
    type(v, "if (x) {");
    key(v, Qt::Key_Return);
    EXPECT_EQ(withoutCr(v->text()), "if (x) {\n    \n");
    type(v, "y;");
    key(v, Qt::Key_Return);
    EXPECT_EQ(withoutCr(v->text()), "if (x) {\n    y;\n    \n");
    type(v, "}");
    EXPECT_EQ(withoutCr(v->text()), "if (x) {\n    y;\n}\n");
    key(v, Qt::Key_Return);
    type(v, "while (a)");
    key(v, Qt::Key_Return);
    EXPECT_EQ(withoutCr(v->text()), "if (x) {\n    y;\n}\nwhile (a)\n    \n");
    type(v, "{");
    EXPECT_EQ(withoutCr(v->text()), "if (x) {\n    y;\n}\nwhile (a)\n{\n");
}

TEST_F(AssistTest, MatchAndSelectToBrace)
{
    start();
    CTextView* v = openAndFocus("br.c", "f(a[1]);");
    ASSERT_TRUE(v);
    struct Case {
        long caret;
        bool select;
        long anchor, caretAfter;
    } cases[] = {
        {7, false, 1, 1},   // after ")": before the "(" (outside stays outside)
        {2, false, 6, 6},   // after "(": before the ")" (inside stays inside)
        {1, false, 7, 7},   // before "(": after the ")"
        {6, false, 3, 3},   // after "]": the brace before the caret wins, before the "["
        {7, true, 7, 1},    // outside: both braces selected
        {2, true, 2, 6},    // inside: neither
        {0, false, 0, 0},   // no brace: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        v->setSel(c.caret, c.caret);
        if (c.select)
            key(v, Qt::Key_BracketRight, CtrlShift);
        else
            key(v, Qt::Key_BracketRight, Ctrl);
        EXPECT_EQ(v->anchor(), c.anchor);
        EXPECT_EQ(v->currentPos(), c.caretAfter);
    }
    // The Search menu items do the same.
    v->setSel(7, 7);
    choose("menu_search", cmd::SearchMatchBrace);
    EXPECT_EQ(v->currentPos(), 1);
    choose("menu_search", cmd::SearchSelectToBrace);
    EXPECT_EQ(v->anchor(), 1);
    EXPECT_EQ(v->currentPos(), 7);
}

} // namespace

namespace {

TEST_F(AssistTest, InputMethodHearsOfTheCaretLineOnly)
{
    start();
    CTextView* v = openAndFocus("im.txt", "first\nsecond \xc3\xa9x\nthird");
    ASSERT_TRUE(v);
    v->setSel(6, 15);   // from the start of "second" to after the "é"
    QWidget* w = v;
    EXPECT_EQ(w->inputMethodQuery(Qt::ImSurroundingText).toString(), QString::fromUtf8("second \xc3\xa9x"));
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorPosition).toInt(), 8);
    EXPECT_EQ(w->inputMethodQuery(Qt::ImAnchorPosition).toInt(), 0);
}

} // namespace
