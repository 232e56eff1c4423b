// The text handed to a second interpreter: whatever the tree holds, the child's %
// expansion and parse of that text must give the same tree back, or the tree is refused.
#include "TestHost.h"
#include "console/Parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <pthread.h>
#include <random>

using namespace console;
using console::test::TestHost;

namespace {

std::string s8(uview s) { return toUtf8(s); }

// The child's environment at its most hostile: the names that appear in the generated
// words are all defined, with values that are commands of their own.
TestHost hostileChild()
{
    TestHost h;
    for (const char16_t* name : {u"a", u"b", u"x", u"COMSPEC", u"a b", u"^a", u"f"})
        h.env.set(name, u"&touch X&");
    return h;
}

// Parses `text` the way the child does: the command line with a line break appended,
// each line % expanded (outside a batch file) before it is cut into tokens.
Parser::Result parseAsChild(const ExpandHost& host, const ustring& text)
{
    LineSource src = LineSource::fromString(text + u"\n");
    Parser p(host);
    return p.parse(src);
}

std::unique_ptr<ParseNode> parseSource(const ustring& text, bool ext = true)
{
    TestHost host;
    host.ext = ext;
    Parser::Result r = parseAsChild(host, text);
    return r.status == Parser::Result::Ok ? std::move(r.node) : nullptr;
}

bool refused(const ParseNode& n, ustring& text, bool ext = true)
{
    try {
        text = childCommandText(n, ext);
        return false;
    } catch (const CmdError& e) {
        EXPECT_EQ(e.id, msg::NotPassedOn);
        return true;
    }
}

// ---- random sources and hostile words ----

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }

    // A word for a source text: mostly plain, sometimes quoted or with escapes.
    std::string word()
    {
        static const char* const words[] = {"x", "abc", "a.txt", "\"a b\"", "y^&z", "1", "%a%", "50%",
                                            "%%", "d/e", "q^|r", "\"&|\"", "!x!", "^^", "\"", "x\"y"};
        return words[pick(int(std::size(words)))];
    }

    // A word that no author wrote: pieces that the lexer or the % expansion would act on.
    ustring hostileWord()
    {
        static const char16_t* const pieces[] = {
            u"a", u"b", u"x", u"%", u"%a%", u"%b:~1%", u"%COMSPEC:\"=%", u"%x:a=b%", u"!", u"^", u"&", u"|",
            u"<", u">", u"\"", u"(", u")", u"==", u" ", u"\t", u",", u";", u"=", u"@", u"\n", u"2>", u":",
            u"touch X", u"&&", u"||", u"%f", u"%~nf", u"'", u"\u3000"};
        ustring w;
        int n = 1 + pick(6);
        for (int i = 0; i < n; ++i)
            w += pieces[pick(int(std::size(pieces)))];
        return w;
    }

    std::string redirections()
    {
        std::string r;
        int n = pick(3) == 0 ? 1 + pick(2) : 0;
        for (int i = 0; i < n; ++i) {
            static const char* const ops[] = {" >", " >>", " 2>", " <", " 2>&1", " >&2"};
            std::string op = ops[pick(int(std::size(ops)))];
            r += op;
            if (op.find('&') == std::string::npos)
                r += word();
        }
        return r;
    }

    std::string condition()
    {
        std::string c = chance(20) ? "not " : "";
        switch (pick(5)) {
        case 0: return c + word() + "==" + word();
        case 1: return c + "exist " + word();
        case 2: return c + "errorlevel 1";
        case 3: return c + "defined " + word();
        default: return c + word() + " equ " + word();
        }
    }

    std::string primary(int depth, bool stmtStart, bool last)
    {
        int k = pick(depth > 3 ? 2 : 8);
        switch (k) {
        case 2: return "(" + statement(depth + 1, true) + ")" + redirections();
        case 3: {
            std::string s = std::string("if ") + (chance(30) ? "/i " : "") + condition() + " ";
            if (last && chance(50))
                return s + "(" + statement(depth + 1, true) + ") else " + statement(depth + 1, false);
            return last ? s + statement(depth + 1, false) : "(" + s + statement(depth + 1, false) + ")";
        }
        case 4: {
            static const char* const sw[] = {"", "/l ", "/d ", "/r ", "/f \"delims=\" ", "/f \"tokens=1,2\" "};
            std::string s = std::string("for ") + sw[pick(int(std::size(sw)))] + "%i in (";
            int n = pick(4);
            for (int i = 0; i < n; ++i)
                s += (i ? " " : "") + word();
            if (chance(20))
                s = std::string("for /f %i in ('echo ") + word() + " ^& echo " + word() + "'";
            s += ") do " + statement(depth + 1, false);
            return last ? s : "(" + s + ")";
        }
        case 5:
            return stmtStart && chance(50) ? "@" + primary(depth + 1, true, last) : command();
        case 6:
            return last && chance(30) ? "rem " + word() + " & " + word() : command();
        case 7:
            return last && chance(20) ? "for /?" : command();
        default:
            return command();
        }
    }

    std::string command()
    {
        static const char* const names[] = {"echo", "type", "dir", "sort", "cmdx", "\"my prog\"", "ec^ho"};
        std::string c = chance(15) ? redirections() + " " : "";
        c += names[pick(int(std::size(names)))];
        if (chance(10))
            c += "(" + word();
        int n = pick(4);
        for (int i = 0; i < n; ++i)
            c += (chance(20) ? ",," : " ") + word();
        return c + redirections();
    }

    // Inside a block a statement may go over several lines.
    std::string statement(int depth, bool inBlock)
    {
        std::string s;
        int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            bool last = i + 1 == n;
            s += primary(depth, i == 0, last);
            if (!last) {
                static const char* const ops[] = {" & ", " && ", " || ", " | ", "\n"};
                int o = pick(inBlock ? 5 : 4);
                s += ops[o];
            }
        }
        return s;
    }

    // Replaces texts of the tree by hostile words, as FOR values would.
    void poison(ParseNode& n)
    {
        auto maybe = [&](ustring& t) {
            if (chance(25))
                t = chance(50) ? hostileWord() : t + hostileWord();
        };
        switch (n.kind) {
        case KindCommand: case KindStringEqual: case KindCompare: case KindExist: case KindDefined:
        case KindErrorLevel:
            if (n.kind == KindCommand || n.kind == KindStringEqual || n.kind == KindCompare)
                maybe(n.text1);
            maybe(n.text2);
            break;
        case KindRem:
            maybe(n.text2);
            break;
        case KindFor:
            maybe(n.forSet);
            break;
        default:
            break;
        }
        for (auto& r : n.redirections)
            if (r.target.empty() || r.target[0] != '&')
                maybe(r.target);
        for (ParseNode* c : {n.left.get(), n.right.get(), n.condition.get(), n.thenBranch.get(),
                             n.elseBranch.get(), n.body.get()})
            if (c)
                poison(*c);
    }

private:
    std::mt19937 rng_;
};

bool remWithReference(const ParseNode& n)
{
    if (n.kind == KindRem && std::count(n.text2.begin(), n.text2.end(), u'%') >= 2)
        return true;
    for (const ParseNode* c : {n.left.get(), n.right.get(), n.condition.get(), n.thenBranch.get(),
                               n.elseBranch.get(), n.body.get()})
        if (c && remWithReference(*c))
            return true;
    return false;
}

// The rebuilt text, parsed by a child whose variables are all defined, gives the tree back.
void expectRoundTrip(const ParseNode& tree, const ustring& text, const std::string& source)
{
    TestHost child = hostileChild();
    Parser::Result r = parseAsChild(child, text);
    ASSERT_EQ(r.status, Parser::Result::Ok) << source << "\n-> " << s8(text);
    EXPECT_TRUE(sameTree(*r.node, tree)) << source << "\n-> " << s8(text);
}

TEST(ChildCommandTest, ParsedTreesGoBackUnchangedThroughAHostileExpansion)
{
    Generator g(20261209);
    int parsed = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string source = g.statement(0, false);
        auto tree = parseSource(u(source));
        if (!tree)
            continue;
        ++parsed;
        ustring text;
        // Every tree the parser builds can be written back, except REM text with two "%"
        // (read literally, so nothing in it can be escaped).
        if (refused(*tree, text)) {
            EXPECT_TRUE(remWithReference(*tree)) << source;
            continue;
        }
        expectRoundTrip(*tree, text, source);
    }
    EXPECT_GT(parsed, 1500);
}

TEST(ChildCommandTest, TreesWithHostileValuesGoBackUnchangedOrAreRefused)
{
    Generator g(7);
    int written = 0, refusedCount = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string source = g.statement(0, false);
        auto tree = parseSource(u(source));
        if (!tree)
            continue;
        g.poison(*tree);
        ustring text;
        if (refused(*tree, text)) {
            ++refusedCount;
            continue;
        }
        ++written;
        expectRoundTrip(*tree, text, source);
        // Nothing in the text is left for the child's expansion to replace.
        TestHost child = hostileChild();
        size_t start = 0;
        while (start < text.size()) {
            size_t nl = text.find(u'\n', start);
            size_t end = nl == ustring::npos ? text.size() : nl + 1;
            ustring line = text.substr(start, end - start);
            ASSERT_EQ(s8(expandPercent(line, child)), s8(line)) << s8(text);
            start = end;
        }
    }
    // Most hostile values can be written; line breaks and a few others cannot.
    EXPECT_GT(written, refusedCount);
}

TEST(ChildCommandTest, HostileWordsInEachPlaceOfACommand)
{
    const ustring words[] = {u"%COMSPEC:\"=%&touch X", u"r&touch X", u"x\" & touch X & rem \"", u"50%",
                             u"%a%", u"a\"b", u"^", u"(x)", u"=,;", u"\t", u"@x", u"%%a%%"};
    for (const ustring& w : words) {
        for (const char* shape : {"echo V", "V arg", "echo x >V", "if V==y echo same", "if x==V echo same",
                                  "if exist V echo there", "for %i in (a V b) do echo %i",
                                  "(echo V) >V", "for /f \"delims=\" %i in ('echo V') do echo %i"}) {
            // The word goes in as a value (after the parse), like a FOR variable's.
            auto tree = parseSource(u(shape));
            ASSERT_TRUE(tree) << shape;
            std::vector<ParseNode*> pending{tree.get()};
            auto put = [&](ustring& t) {
                size_t at;
                while ((at = t.find(u'V')) != ustring::npos)
                    t.replace(at, 1, w);
            };
            while (!pending.empty()) {
                ParseNode* n = pending.back();
                pending.pop_back();
                put(n->text1);
                put(n->text2);
                put(n->forSet);
                for (auto& r : n->redirections)
                    put(r.target);
                for (ParseNode* c : {n->left.get(), n->right.get(), n->condition.get(), n->thenBranch.get(),
                                     n->elseBranch.get(), n->body.get()})
                    if (c)
                        pending.push_back(c);
            }
            ustring text;
            ASSERT_FALSE(refused(*tree, text)) << shape << " with " << s8(w);
            expectRoundTrip(*tree, text, shape);
        }
    }
}

TEST(ChildCommandTest, ValuesThatCannotBeWrittenAreRefused)
{
    struct Case {
        const char* shape;
        const char16_t* value;
    };
    const Case cases[] = {
        {"echo V", u"a\ntouch X"},       // a line break ends the command
        {"echo V", u"a\rb"},              // a carriage return is dropped by the lexer
        {"if V==y echo same", u"x==x touch X"}, // "==" inside the first operand
        {"if x==V echo same", u""},       // an empty operand
        {"echo x >V", u""},               // an empty target
        {"V", u""},                       // an empty command name
        {"V x", u"if"},                   // a name that the parser takes as a keyword
    };
    for (const Case& c : cases) {
        auto tree = parseSource(u(c.shape));
        ASSERT_TRUE(tree) << c.shape;
        ParseNode* n = tree.get();
        if (n->kind == KindIf)
            n = n->condition.get();
        for (ustring* t : {&n->text1, &n->text2})
            if (size_t at = t->find(u'V'); at != ustring::npos)
                t->replace(at, 1, c.value);
        for (auto& r : n->redirections)
            if (r.target == u"V")
                r.target = c.value;
        ustring text;
        EXPECT_TRUE(refused(*tree, text)) << c.shape << " -> " << s8(text);
    }
}

TEST(ChildCommandTest, BlocksWithOpenQuotesRemAndHelpKeepTheirLines)
{
    for (const char* source : {"(echo \"a\necho b)", "(rem x & y\necho b)", "(for /?\necho b)",
                               "(echo a\nrem z\n)", "if a==a (rem x\n) else echo y", "(echo ^\"a\necho b) | sort"}) {
        auto tree = parseSource(u(source));
        ASSERT_TRUE(tree) << source;
        ustring text;
        ASSERT_FALSE(refused(*tree, text)) << source;
        expectRoundTrip(*tree, text, source);
    }
    // A caret at the very end would leave a command without a name: a syntax error.
    for (const char* source : {"echo a | ^", "(echo a) & ^", "echo a || ^\n"}) {
        TestHost host;
        Parser::Result r = parseAsChild(host, u(source));
        EXPECT_EQ(r.status, Parser::Result::Error) << source;
        EXPECT_EQ(r.error.id, msg::SyntaxIncorrect) << source;
    }
}

// Runs `work` on a thread with a small stack: what recursed once per operator overflowed it.
void onSmallStack(void (*work)())
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 256 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, [](void* w) -> void* {
        reinterpret_cast<void (*)()>(w)();
        return nullptr;
    }, reinterpret_cast<void*>(work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST(ChildCommandTest, LongChainsAreParsedWrittenAndComparedWithoutDeepRecursion)
{
    onSmallStack([] {
        // 4999 operators: the most one statement may hold.
        for (const char* op : {" || ", " && ", " | ", " & "}) {
            // Written over many lines joined by "^" (a line holds at most 2048 characters).
            std::string source = "echo 0";
            std::string shown = source;
            for (int i = 1; i < 5000; ++i) {
                source += op + std::string("^\necho ") + std::to_string(i % 10);
                shown += op + std::string("echo ") + std::to_string(i % 10);
            }
            auto tree = parseSource(u(source));
            ASSERT_TRUE(tree) << op;
            ustring text;
            ASSERT_FALSE(refused(*tree, text)) << op;
            expectRoundTrip(*tree, text, op);
            auto copy = tree->clone();
            EXPECT_TRUE(sameTree(*copy, *tree));
            // The echoed form keeps each command's blank before the operator.
            EXPECT_EQ(unparse(*copy).size(), shown.size() + 4999) << op;
        }
    });
}

TEST(ChildCommandTest, LongWordsAreSplitOverLines)
{
    // Each physical line holds at most 2048 characters: a long value goes on after "^".
    auto tree = parseSource(u"echo V");
    ASSERT_TRUE(tree);
    tree->text2 = u" " + ustring(3000, u'&');
    ustring text;
    ASSERT_FALSE(refused(*tree, text));
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find(u'\n', start);
        size_t end = nl == ustring::npos ? text.size() : nl;
        EXPECT_LT(end - start, LineSource::MaxLine);
        start = end + 1;
    }
    expectRoundTrip(*tree, text, "long");
}

TEST(ChildCommandTest, ExtensionsOffTreesAreCheckedWithExtensionsOff)
{
    // Without extensions "defined" is no keyword: the tree is a plain comparison.
    auto tree = parseSource(u"if defined==x echo y", false);
    ASSERT_TRUE(tree);
    ustring text;
    ASSERT_FALSE(refused(*tree, text, false));
    TestHost child = hostileChild();
    child.ext = false;
    Parser::Result r = parseAsChild(child, text);
    ASSERT_EQ(r.status, Parser::Result::Ok);
    EXPECT_TRUE(sameTree(*r.node, *tree));
}

} // namespace
