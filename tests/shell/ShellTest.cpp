// The desktop options on a temporary home: the user's velmo.desktop and mimeapps.list,
// the file-manager entries written by the real velmoshell library, and what each option
// reads back. Only our own entries are ever removed.
#include "shell/ShellFiles.h"
#include "shell/ShellIntegration.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace shell;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            saved.append(qgetenv(name));
        qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
        folders = Folders::fromEnvironment();
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", saved[0]);
        qputenv("XDG_CONFIG_HOME", saved[1]);
    }
    QString mimeApps() const { return home.filePath("config/mimeapps.list"); }
    QString desktop() const { return home.filePath("data/applications/velmo.desktop"); }

    QTemporaryDir home;
    QList<QByteArray> saved;
    Folders folders;
    const QString program = QStringLiteral("/opt/velmo/bin/velmo");
};

const QByteArray OurDesktopFile = "[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Velmo\n"
                                  "GenericName=Text Editor\n"
                                  "Comment=Edit text and program files\n"
                                  "Exec=\"/opt/velmo/bin/velmo\" %F\n"
                                  "Icon=velmo\n"
                                  "Terminal=false\n"
                                  "Categories=Utility;TextEditor;Development;\n"
                                  "MimeType=text/plain;text/html;application/xhtml+xml;\n"
                                  "X-Velmo-Shell=browser\n";

TEST_F(Shell, BrowserOptionAddsBesideOtherProgramsAndRemovesOnlyItsOwnEntry)
{
    const QByteArray original = "[Default Applications]\n"
                                "text/html=firefox.desktop\n"
                                "\n"
                                "[Added Associations]\n"
                                "text/plain=gedit.desktop;\n"
                                "text/html=firefox.desktop;\n"
                                "# text/html=velmo.desktop;\n"
                                "\n"
                                "[Removed Associations]\n"
                                "image/png=velmo.desktop;\n";
    writeAll(mimeApps(), original);
    EXPECT_FALSE(browserOptionOn(folders));

    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(desktop()), OurDesktopFile);
    QByteArray expected = original;
    expected.replace("text/html=firefox.desktop;\n", "text/html=firefox.desktop;velmo.desktop;\n");
    EXPECT_EQ(readAll(mimeApps()), expected);
    EXPECT_TRUE(browserOptionOn(folders));
    // Again: nothing more is added.
    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(mimeApps()), expected);

    ASSERT_TRUE(setBrowserOption(folders, false, program));
    EXPECT_EQ(readAll(mimeApps()), original);
    EXPECT_FALSE(QFile::exists(desktop()));
    EXPECT_FALSE(browserOptionOn(folders));
}

TEST_F(Shell, BrowserOptionOnAListWithoutTheSectionOrWithoutAList)
{
    // No list yet: one is made with our section.
    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(mimeApps()), "[Added Associations]\ntext/html=velmo.desktop;\n");
    ASSERT_TRUE(setBrowserOption(folders, false, program));
    EXPECT_EQ(readAll(mimeApps()), "");

    // The section is added at the end and goes again when it is left empty.
    const QByteArray original = "[Default Applications]\r\ntext/html=other.desktop\r\n";
    writeAll(mimeApps(), original);
    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(mimeApps()), original + "[Added Associations]\ntext/html=velmo.desktop;\n");
    ASSERT_TRUE(setBrowserOption(folders, false, program));
    EXPECT_EQ(readAll(mimeApps()), original);

    // A section without the type gets the line right below its header, with its line end.
    const QByteArray withSection = "[Added Associations]\r\ntext/plain=a.desktop;\r\n";
    writeAll(mimeApps(), withSection);
    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(mimeApps()), "[Added Associations]\r\ntext/html=velmo.desktop;\r\ntext/plain=a.desktop;\r\n");
    ASSERT_TRUE(setBrowserOption(folders, false, program));
    EXPECT_EQ(readAll(mimeApps()), withSection);

    // Someone else's velmo.desktop is neither replaced nor removed.
    const QByteArray theirs = "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine %f\n";
    writeAll(desktop(), theirs);
    ASSERT_TRUE(setBrowserOption(folders, true, program));
    EXPECT_EQ(readAll(desktop()), theirs);
    EXPECT_TRUE(browserOptionOn(folders));
    ASSERT_TRUE(setBrowserOption(folders, false, program));
    EXPECT_EQ(readAll(desktop()), theirs);
    EXPECT_FALSE(browserOptionOn(folders));
}

TEST_F(Shell, ExecArgumentsAreQuotedAndEscaped)
{
    EXPECT_EQ(desktopExecArgument("/opt/my apps/ve\"l$mo%\\x`"), "\"/opt/my apps/ve\\\\\"l\\\\$mo%%\\\\\\\\x\\\\`\"");
    EXPECT_EQ(desktopExecArgument("/a\nb"), "\"/a\\nb\"");
    EXPECT_EQ(shellArgument("/it's/velmo"), "'/it'\\''s/velmo'");
    ASSERT_TRUE(setBrowserOption(folders, true, QStringLiteral("/home/u/my \"apps\"/velmo")));
    EXPECT_TRUE(readAll(desktop()).contains("\nExec=\"/home/u/my \\\\\"apps\\\\\"/velmo\" %F\n"));
}

TEST_F(Shell, InstalledLauncherMatchesTheUsersOne)
{
    // The launcher installed for everyone and the user's copy differ only in the program
    // path and our marker.
    QByteArray installed = readAll(testpaths::source("/dist/velmo.desktop"));
    QByteArray user = userDesktopEntry(QStringLiteral("velmo"));
    user.replace("Exec=\"velmo\" %F", "Exec=velmo %F");
    user.replace("X-Velmo-Shell=browser\n", "");
    EXPECT_EQ(installed, user);
}

TEST_F(Shell, ContextMenuThroughTheLibraryWritesAndRemovesTheEntries)
{
    const QString lib = QStringLiteral(VELMOSHELL_PATH);
    const std::string velmo = QDir::cleanPath(QFileInfo(lib).absolutePath() + "/../bin/velmo").toStdString();
    EXPECT_FALSE(contextMenuOptionOn(folders));

    ApplyResult r = applyShellOptions({false, false}, {false, true}, folders, program, lib);
    EXPECT_TRUE(r.calledLibrary);
    EXPECT_FALSE(r.wroteBrowser);
    EXPECT_FALSE(r.showFailed);
    const std::vector<EntryFile> entries = contextMenuFiles(folders, velmo);
    ASSERT_EQ(entries.size(), 3u);
    for (const EntryFile& e : entries) {
        const QString path = QString::fromStdString(e.path);
        EXPECT_EQ(readAll(path).toStdString(), e.content) << e.path;
        EXPECT_EQ(QFileInfo(path).permissions() & QFile::ExeOwner ? 0755u : 0644u, e.mode) << e.path;
    }
    EXPECT_EQ(entries[0].content,
              "[Desktop Entry]\nType=Action\nName=Open with Velmo\nIcon=velmo\nProfiles=velmo_files;\n"
              "X-Velmo-Shell=context-menu\n\n[X-Action-Profile velmo_files]\nName=Open with Velmo\nExec=\"" + velmo
                  + "\" %F\nMimeTypes=all/allfiles;\n");
    EXPECT_EQ(entries[2].content, "#!/bin/sh\n# X-Velmo-Shell=context-menu\nexec '" + velmo + "' \"$@\"\n");
    EXPECT_EQ(entries[2].path, home.filePath("data/nautilus/scripts/Open with Velmo").toStdString());
    EXPECT_TRUE(readShellOptions(folders).contextMenu);
    EXPECT_FALSE(readShellOptions(folders).browser);

    // Unchanged check boxes write and call nothing.
    r = applyShellOptions({false, true}, {false, true}, folders, program, lib);
    EXPECT_FALSE(r.calledLibrary || r.wroteBrowser);

    r = applyShellOptions({false, true}, {false, false}, folders, program, lib);
    EXPECT_TRUE(r.calledLibrary);
    EXPECT_FALSE(r.showFailed);
    for (const EntryFile& e : entries)
        EXPECT_FALSE(QFile::exists(QString::fromStdString(e.path))) << e.path;
    EXPECT_FALSE(contextMenuOptionOn(folders));
    // The folders stay: other programs' entries live there too.
    EXPECT_TRUE(QFileInfo(home.filePath("data/nautilus/scripts")).isDir());
}

TEST_F(Shell, ContextMenuLeavesOtherProgramsEntriesAndReportsFailure)
{
    const QString lib = QStringLiteral(VELMOSHELL_PATH);
    const QString script = home.filePath("data/nautilus/scripts/Open with Velmo");
    const QString other = home.filePath("data/kio/servicemenus/other.desktop");
    writeAll(script, "#!/bin/sh\nexec my-own-thing \"$@\"\n");
    writeAll(other, "[Desktop Entry]\nType=Service\n");

    ApplyResult r = applyShellOptions({false, false}, {false, true}, folders, program, lib);
    EXPECT_TRUE(r.showFailed);
    EXPECT_EQ(failedMessage(), "failed");
    EXPECT_EQ(readAll(script), "#!/bin/sh\nexec my-own-thing \"$@\"\n");
    EXPECT_TRUE(contextMenuOptionOn(folders)); // the other two were written

    r = applyShellOptions({false, true}, {false, false}, folders, program, lib);
    EXPECT_FALSE(r.showFailed);
    EXPECT_EQ(readAll(script), "#!/bin/sh\nexec my-own-thing \"$@\"\n");
    EXPECT_EQ(readAll(other), "[Desktop Entry]\nType=Service\n");
    EXPECT_FALSE(contextMenuOptionOn(folders));
}

TEST_F(Shell, WithoutTheLibraryNothingChanges)
{
    EXPECT_EQ(setContextMenuOption(true, home.filePath("missing/libvelmoshell.so")), RegisterResult::Missing);
    // A library without the entry points counts as missing too.
    EXPECT_EQ(setContextMenuOption(true, QStringLiteral("libz.so.1")), RegisterResult::Missing);
    const ApplyResult r = applyShellOptions({false, false}, {false, true}, folders, program, home.filePath("none.so"));
    EXPECT_FALSE(r.showFailed);
    EXPECT_FALSE(contextMenuOptionOn(folders));
    EXPECT_TRUE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

} // namespace
