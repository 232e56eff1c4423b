// User tools in a running editor: the Tool menu and its keys, the Tool page's Apply, the
// file filter, the save question, reloading after a tool and the shipped Build and Run.
#include "FrameFixture.h"

#include "app/ToolCommands.h"
#include "app/commands/CommandStates.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "tools/ToolPageModel.h"
#include "tools/ToolStore.h"

#include <QAction>
#include <QMenu>
#include <QProcess>

using tools::ToolRecord;

namespace {

ToolRecord tool(const QString& name, const QString& command, int flags, const QString& dir = QString(),
                const QString& filters = QString(), const QString& shortcut = QString())
{
    ToolRecord t;
    t.name = name;
    t.command = command;
    t.flags = flags;
    t.dir = dir;
    t.filters = filters;
    t.shortcut = shortcut;
    return t;
}

constexpr const char* CtrlF5 = "7602185";

} // namespace

struct ToolFrame : FrameFixture {
    QString dbPath() const { return settings->Folder(AppSettings::DataFolder) + "/velmo.db"; }

    // The tools velmo.db holds when the editor starts.
    void storeTools(const std::vector<ToolRecord>& rows)
    {
        QDir().mkpath(settings->Folder(AppSettings::DataFolder));
        tools::ToolStore store;
        ASSERT_TRUE(store.open(dbPath()));
        ASSERT_TRUE(store.replaceAll(rows));
    }

    QMenu* toolMenu() const { return frame->commandUi()->popup("menu_tool"); }

    // The Tool menu as shown: item texts, "-" for a separator.
    QStringList menuTexts(int count) const
    {
        QStringList out;
        for (QAction* a : toolMenu()->actions()) {
            if (out.size() == count)
                break;
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        return out;
    }

    QAction* itemNamed(const QString& name) const
    {
        for (QAction* a : toolMenu()->actions())
            if (!a->isSeparator() && a->text().section('\t', 0, 0) == name)
                return a;
        return nullptr;
    }

    // Opens the Tool menu's states as the menu would and chooses the item; false when the
    // item is missing or disabled.
    bool choose(const QString& name)
    {
        QAction* a = itemNamed(name);
        if (!a)
            return false;
        cmd::CommandUi::applyMenuStates(toolMenu(), frame->snapshot());
        if (!a->isEnabled())
            return false;
        a->trigger();
        pump(10);
        return true;
    }

    void ctrlF5(QWidget* w) { key(w, Qt::Key_F5, Qt::ControlModifier); }

    bool apply(tools::ToolPageModel& page) { return frame->toolCommands()->applyPage(page); }
};

TEST(ToolKeys, ShortcutNumbersDecode)
{
    // High 16 bits the virtual key, low byte the flags; 0 and junk are no key.
    const std::vector<cmd::AccelEntry> keys = cmd::toolAccelerators(" 7602185,0,abc,,4784145, 9", 605);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], (cmd::AccelEntry{0x09, 0x74, 605}));
    EXPECT_EQ(cmd::shortcutName(keys[0]), "Ctrl+F5");
    EXPECT_EQ(keys[1], (cmd::AccelEntry{0x11, 0x49, 605}));
    EXPECT_EQ(cmd::shortcutName(keys[1]), "Alt+I");

    // The tools' old keys make room for the new ones, after the key map's.
    std::vector<cmd::AccelEntry> table = {{0x09, 0x74, 600}, {0x01, 0x73, 680}, {0x01, 0x70, 601}};
    cmd::replaceAccelerators(table, cmd::ToolFirst, cmd::ToolLast, {{0x09, 0x74, 601}, {0x01, 0x71, 601}}, 1);
    EXPECT_EQ(table, (std::vector<cmd::AccelEntry>{{0x01, 0x73, 680}, {0x09, 0x74, 601}}));
}

TEST_F(ToolFrame, MenuOrderKeysAndAnEmptyTable)
{
    storeTools({tool("Build", "touch built.txt", tools::WaitForEnd, files.path(), "", CtrlF5),
                tool("Run", "touch ran.txt", tools::WaitForEnd, files.path())});
    start();
    EXPECT_EQ(menuTexts(4), QStringList({"Build\tCtrl+F5", "Run", "-", cmd::label(cmd::ToolLocateFile) + "\tF4"}));
    EXPECT_EQ(itemNamed("Build")->data().toInt(), cmd::ToolFirst);
    EXPECT_EQ(itemNamed("Run")->data().toInt(), cmd::ToolFirst + 1);

    CTextView* v = openAndFocus("a.txt", "text\n");
    ASSERT_TRUE(v);
    ctrlF5(v);
    EXPECT_TRUE(QFile::exists(files.filePath("built.txt")));
    EXPECT_FALSE(QFile::exists(files.filePath("ran.txt")));
    ASSERT_TRUE(choose("Run"));
    EXPECT_TRUE(QFile::exists(files.filePath("ran.txt")));

    // The key map loaded again (as after the Key page) keeps the tool's key.
    frame->LoadKeyMap();
    QFile::remove(files.filePath("built.txt"));
    ctrlF5(v);
    EXPECT_TRUE(QFile::exists(files.filePath("built.txt")));

    // No tools: no separator either, and the key is free again.
    tools::ToolPageModel page;
    page.load(std::vector<ToolRecord>{});
    page.newTool();
    page.deleteTool();
    ASSERT_TRUE(apply(page));
    EXPECT_EQ(toolMenu()->actions().first()->data().toInt(), cmd::ToolLocateFile);
    QFile::remove(files.filePath("built.txt"));
    ctrlF5(v);
    EXPECT_FALSE(QFile::exists(files.filePath("built.txt")));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ToolFrame, ApplyMovesTheKeyWithItsTool)
{
    storeTools({tool("Alpha", "touch alpha.txt", tools::WaitForEnd, files.path(), "", CtrlF5),
                tool("Beta", "touch beta.txt", tools::WaitForEnd, files.path())});
    start();
    CTextView* v = openAndFocus("a.txt", "text\n");
    ASSERT_TRUE(v);

    tools::ToolPageModel page;
    page.load(frame->toolCommands()->store());
    ASSERT_TRUE(page.moveDown());
    ASSERT_TRUE(apply(page));
    EXPECT_EQ(menuTexts(3), QStringList({"Beta", "Alpha\tCtrl+F5", "-"}));
    ctrlF5(v);
    EXPECT_TRUE(QFile::exists(files.filePath("alpha.txt")));
    EXPECT_FALSE(QFile::exists(files.filePath("beta.txt")));

    // A failing Apply is shown and changes neither the file nor the menu.
    ASSERT_TRUE(frame->toolCommands()->store().db().exec(
        "CREATE TRIGGER no_broken BEFORE INSERT ON tools WHEN NEW.Name='Broken' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    page.select(0);
    ASSERT_TRUE(page.deleteTool());
    ASSERT_TRUE(page.newTool());
    page.setName("Broken");
    EXPECT_FALSE(apply(page));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.contains("disk full")) << box.shown[0].text.toStdString();
    EXPECT_EQ(menuTexts(3), QStringList({"Beta", "Alpha\tCtrl+F5", "-"}));
    tools::ToolStore check;
    ASSERT_TRUE(check.open(dbPath()));
    ASSERT_EQ(check.load().size(), 2u);
}

TEST_F(ToolFrame, FilterAndDocumentDecideWhetherAToolRuns)
{
    storeTools({tool("Compile C", "touch ran.txt", tools::NeedsFile | tools::WaitForEnd, files.path(), "*.c", CtrlF5)});
    start();
    cmd::CommandUi::applyMenuStates(toolMenu(), frame->snapshot());
    EXPECT_FALSE(itemNamed("Compile C")->isEnabled());   // no document

    CTextView* h = openAndFocus("x.h", "int x;\n");
    ASSERT_TRUE(h);
    EXPECT_FALSE(choose("Compile C"));
    ctrlF5(h);   // the key does not get round the filter
    EXPECT_FALSE(QFile::exists(files.filePath("ran.txt")));

    CTextView* c = openAndFocus("y.c", "int y;\n");
    ASSERT_TRUE(c);
    ctrlF5(c);
    EXPECT_TRUE(QFile::exists(files.filePath("ran.txt")));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ToolFrame, WaitedToolRewritesTheFileAndItReloadsWithoutAsking)
{
    write("new.txt", "rewritten by the tool\n");
    storeTools({tool("Format", "cp new.txt \"$(FILE)\"", tools::NeedsFile | tools::ReloadAfter | tools::WaitForEnd,
                     "$(FILE_PATH)")});
    start();
    CTextView* v = openAndFocus("doc.c", "original\n");
    ASSERT_TRUE(v);
    ASSERT_TRUE(choose("Format"));
    EXPECT_EQ(v->text(), "rewritten by the tool\n");
    EXPECT_FALSE(frame->activeChild()->isModified());
    EXPECT_TRUE(box.shown.empty());

    // Unsaved edits kept by "No" are not thrown away silently: the usual question comes.
    write("new.txt", "second version\n");
    key(v, Qt::Key_X);
    box.answers = {seams::IDNO, seams::IDNO};   // do not save; do not reload
    ASSERT_TRUE(choose("Format"));
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(box.shown[0].text.startsWith("file '"));
    EXPECT_TRUE(frame->activeChild()->isModified());
    EXPECT_NE(v->text().find("rewritten by the tool"), std::string::npos);
    EXPECT_EQ(read(files.filePath("doc.c")), "second version\n");
}

TEST_F(ToolFrame, SaveQuestionAndTheFlagThatSkipsIt)
{
    storeTools({tool("Copy", "cp \"$(FILENAME)\" copy.txt", tools::NeedsFile | tools::WaitForEnd, "$(FILE_PATH)")});
    start();
    const QString path = files.filePath("doc.c");
    CTextView* v = openAndFocus("doc.c", "one\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_A);
    ASSERT_TRUE(frame->activeChild()->isModified());

    box.answers = {seams::IDCANCEL};
    ASSERT_TRUE(choose("Copy"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "file '" + path + "' had changed, save and execute command: 'Copy'?");
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_YESNOCANCEL | seams::MB_ICONWARNING));
    EXPECT_FALSE(QFile::exists(files.filePath("copy.txt")));

    box.answers = {seams::IDNO};
    ASSERT_TRUE(choose("Copy"));
    EXPECT_EQ(read(files.filePath("copy.txt")), "one\n");
    EXPECT_TRUE(frame->activeChild()->isModified());

    box.answers = {seams::IDYES};
    ASSERT_TRUE(choose("Copy"));
    EXPECT_EQ(read(files.filePath("copy.txt")), "aone\n");
    EXPECT_FALSE(frame->activeChild()->isModified());
    EXPECT_EQ(box.shown.size(), 3u);

    // "Before execute, prompt save if modified" ticked: saved without the question.
    tools::ToolPageModel page;
    page.load(frame->toolCommands()->store());
    page.setFlag(tools::SaveWithoutAsking, true);
    ASSERT_TRUE(apply(page));
    key(v, Qt::Key_B);
    ASSERT_TRUE(choose("Copy"));
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(read(files.filePath("copy.txt")), "abone\n");
}

TEST_F(ToolFrame, FailedSaveStopsTheTool)
{
    storeTools({tool("Copy", "touch ran.txt", tools::NeedsFile | tools::SaveWithoutAsking | tools::WaitForEnd,
                     files.path())});
    start();
    const QString path = files.filePath("doc.c");
    CTextView* v = openAndFocus("doc.c", "one\n");
    ASSERT_TRUE(v);
    key(v, Qt::Key_A);
    // The file's place is taken by a folder: the save cannot succeed.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path + "/inner"));
    box.defaultAnswer = seams::IDCANCEL;
    dialogs.answers.clear();
    ASSERT_TRUE(choose("Copy"));
    EXPECT_FALSE(QFile::exists(files.filePath("ran.txt")));
    ASSERT_FALSE(box.shown.empty());
    EXPECT_EQ(box.shown.back().text, "The tool 'Copy' was not run: the document was not saved.");
}

TEST_F(ToolFrame, StartFailuresAreExplained)
{
    storeTools({tool("Missing", "velmo-no-such-program --flag", 0), tool("Nowhere", "ls", 0, files.filePath("gone")),
                tool("Nothing", "   ", 0)});
    start();
    ASSERT_TRUE(choose("Missing"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "The tool 'Missing' cannot start: the program 'velmo-no-such-program' was not found.");
    ASSERT_TRUE(choose("Nowhere"));
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(box.shown[1].text.contains(files.filePath("gone")));
    ASSERT_TRUE(choose("Nothing"));
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[2].text, "The tool 'Nothing' has no command.");
}

TEST_F(ToolFrame, CommandWindowToolsGoThroughTheHook)
{
    storeTools({tool("Echo", "echo %HOME% %NOPE_VELMO%\r\necho $(FILENAME)", tools::InCommandWindow),
                tool("Batch", "echo one\r\necho two", tools::InCommandWindow | tools::AsBatchFile | tools::AutoExpand),
                tool("Mark", "echo ran> \"" + files.filePath("mark.txt") + "\"", tools::InCommandWindow)});
    start();
    ASSERT_TRUE(openAndFocus("a.c", "int a;\n"));

    // The frame's own command window runs the tool's line.
    ASSERT_TRUE(choose("Mark"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(files.filePath("mark.txt")), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(read(files.filePath("mark.txt")).trimmed(), QByteArray("ran"), 5000);
    EXPECT_TRUE(box.shown.empty());

    frame->toolCommands()->setCommandWindowSender({});   // nobody listens
    ASSERT_TRUE(choose("Echo"));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "The command window is not available: the tool 'Echo' was not run.");

    QList<QStringList> sent;
    frame->toolCommands()->setCommandWindowSender([&](const QStringList& lines) {
        sent << lines;
        return true;
    });
    ASSERT_TRUE(choose("Echo"));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QStringList({"echo " + qEnvironmentVariable("HOME") + " %NOPE_VELMO%", "echo a.c"}));

    ASSERT_TRUE(choose("Batch"));
    ASSERT_EQ(sent.size(), 2);
    const QString bat = frame->toolCommands()->batchPath();
    EXPECT_EQ(sent[1], QStringList({bat.contains(' ') ? '"' + bat + '"' : bat}));
    EXPECT_EQ(read(bat), "echo one\r\necho two");
    const cmd::UiSnapshot s = frame->snapshot();
    EXPECT_TRUE(s.bottomPanelVisible);
    EXPECT_EQ(s.bottomPanelTab, 0);
    EXPECT_EQ(box.shown.size(), 1u);

    // A batch file that cannot be written is not replaced by the last run's one.
    ASSERT_TRUE(QFile::remove(bat));
    ASSERT_TRUE(QDir().mkpath(bat + "/inner"));
    ASSERT_TRUE(choose("Batch"));
    EXPECT_EQ(sent.size(), 2);
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(box.shown[1].text.startsWith("The tool 'Batch' was not run")) << box.shown[1].text.toStdString();
}

TEST_F(ToolFrame, BrokenDatabaseIsReportedAndLeftAlone)
{
    QDir().mkpath(settings->Folder(AppSettings::DataFolder));
    const QByteArray junk("not a database at all\n");
    {
        QFile f(dbPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    start();
    bool reported = false;
    for (const auto& m : box.shown)
        reported = reported || (m.text == "velmo.db is corrupted" && m.caption == "Velmo");
    EXPECT_TRUE(reported);
    EXPECT_EQ(toolMenu()->actions().first()->data().toInt(), cmd::ToolLocateFile);
    EXPECT_EQ(read(dbPath()), junk);
}

TEST_F(ToolFrame, ShippedBuildCompilesAndRunRunsHello)
{
    start();   // a data folder without tools gets the shipped ones
    ASSERT_TRUE(itemNamed("Build"));
    ASSERT_TRUE(itemNamed("Run"));
    CTextView* v = openAndFocus("hello.c", "#include <stdio.h>\n"
                                           "int main(void)\n"
                                           "{\n"
                                           "    FILE* f = fopen(\"ran.txt\", \"w\");\n"
                                           "    fputs(\"hello from velmo\\n\", f);\n"
                                           "    fclose(f);\n"
                                           "    return 0;\n"
                                           "}");
    ASSERT_TRUE(v);
    key(v, Qt::Key_End, Qt::ControlModifier);
    key(v, Qt::Key_Return);   // unsaved: Build saves it without asking
    ASSERT_TRUE(frame->activeChild()->isModified());
    // Both run in the command window, which comes into view.
    ASSERT_TRUE(choose("Build"));
    EXPECT_FALSE(frame->activeChild()->isModified());
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(frame->snapshot().bottomPanelVisible);
    // Run chosen while the build may still be going waits for it in the window's queue.
    ASSERT_TRUE(choose("Run"));
    EXPECT_TRUE(pumpUntil([&] { return read(files.filePath("ran.txt")) == "hello from velmo\n"; }, 40000));
    EXPECT_TRUE(QFileInfo(files.filePath("hello")).isExecutable());
    EXPECT_TRUE(box.shown.empty());
}
