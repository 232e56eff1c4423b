// The document record and its operations on real files: saving safely, read-only
// files and documents, reload and undo, file stamps and the failure messages.
#include "TestSupport.h"

#include "platform/Seams.h"

#include <QDir>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace textdoc;

namespace {

unsigned modeOf(const QString& p)
{
    struct stat st;
    return stat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void setMode(const QString& p, unsigned mode)
{
    ASSERT_EQ(chmod(QFile::encodeName(p).constData(), mode), 0);
}

class DocumentTest : public TextDocTest {
protected:
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scopedBox{&box};
    DocumentRecord doc;
};

} // namespace

TEST_F(DocumentTest, ASaveThatFailsPartWayLeavesTheOldFileAndTheDocumentModified)
{
    const QString file = write("keep.txt", "old contents\r\n");
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    const int32_t stamp = doc.fileStamp;
    view.addText(std::string(300000, 'n'));
    doc.changedOutside = true;

    // Let the file system refuse anything beyond 64 KiB, as a full disk would.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 65536;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = saveDocument(doc, view, nullptr);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(read(file), "old contents\r\n");
    EXPECT_EQ(entries(), QStringList{"keep.txt"});   // no temporary file left behind
    EXPECT_TRUE(view.isModified());
    EXPECT_TRUE(doc.changedOutside);
    EXPECT_EQ(doc.fileStamp, stamp);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Save file failure.\n" + file + "\n\n" + systemErrorText(EFBIG));
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_OK | seams::MB_ICONERROR));

    // Once there is room again the same document saves.
    EXPECT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(file).size(), 300000u + 14u);
    EXPECT_FALSE(isModified(doc, view));
}

TEST_F(DocumentTest, SavingKeepsModeFollowsLinksAndRefusesReadOnlyTargets)
{
    const QString target = write("target.txt", "one");
    setMode(target, 0640);
    const QString link = path("link.txt");
    ASSERT_TRUE(QFile::link("target.txt", link));   // relative link
    ASSERT_TRUE(loadDocument(doc, view, link, OpenAutomatic).ok);
    view.addText("two ");
    ASSERT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(target), "two one");
    EXPECT_EQ(modeOf(target), 0640u);

    // A file its owner may not write is refused, not replaced through the folder.
    setMode(target, 0444);
    view.addText("three ");
    EXPECT_FALSE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(target), "two one");
    EXPECT_EQ(modeOf(target), 0444u);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.endsWith(systemErrorText(EACCES)));
    EXPECT_TRUE(view.isModified());

    // Devices are refused rather than written or replaced.
    EXPECT_EQ(saveText(view, "/dev/null").error, EINVAL);
}

TEST_F(DocumentTest, AFolderThatTakesNoNewFileIsWrittenInPlace)
{
    // Folder permissions do not bind root, so the save runs as another user then.
    const bool root = geteuid() == 0;
    const unsigned user = root ? 65534 : geteuid();
    const QString sub = path("locked");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString file = write("locked/f.txt", "old text");
    setMode(dir.path(), 0711);
    if (root) {
        ASSERT_EQ(chown(QFile::encodeName(sub).constData(), user, user), 0);
        ASSERT_EQ(chown(QFile::encodeName(file).constData(), user, user), 0);
    }
    setMode(sub, 0555);
    pid_t pid = fork();
    if (pid == 0) {
        if (root && (setgid(user) != 0 || setuid(user) != 0))
            _exit(3);
        SafeFileWriter w;
        if (!w.open(file).ok)
            _exit(4);
        if (!w.writesInPlace())
            _exit(5);
        _exit(w.reserve(3).ok && w.write("new", 3).ok && w.commit().ok ? 0 : 6);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    setMode(sub, 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read(file), "new");
    EXPECT_EQ(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{"f.txt"});
}

TEST_F(DocumentTest, NewDocumentsHaveNoFileUntilSavedAs)
{
    newDocument(doc, view, EncUtf16LE);
    EXPECT_EQ(doc.path, "<new>");
    EXPECT_FALSE(doc.hasFile());
    EXPECT_EQ(view.encoding(), EncUtf16LE);
    EXPECT_EQ(view.eolMode(), EolCrLf);
    EXPECT_FALSE(isModified(doc, view));
    view.addText("hi");
    EXPECT_FALSE(saveDocument(doc, view, nullptr));   // the caller goes to Save As
    EXPECT_TRUE(box.shown.empty());

    // A failed Save As keeps the old path; a good one takes the new path and stamp.
    EXPECT_FALSE(saveDocumentAs(doc, view, path("missing/folder/a.txt"), nullptr));
    EXPECT_EQ(doc.path, "<new>");
    EXPECT_EQ(box.shown.size(), 1u);
    const QString target = path("a.txt");
    EXPECT_TRUE(saveDocumentAs(doc, view, target, nullptr));
    EXPECT_EQ(doc.path, target);
    EXPECT_EQ(doc.fileStamp, fileStamp(target));
    EXPECT_NE(doc.fileStamp, -1);
    EXPECT_EQ(read(target), utf16Bytes("hi", false));
    EXPECT_EQ(modeOf(target), 0666u & ~[] { mode_t m = umask(0); umask(m); return unsigned(m); }());
    EXPECT_EQ(doc.title(false), "a.txt");
    EXPECT_EQ(doc.title(true), target);
}

TEST_F(DocumentTest, ReadOnlyFilesCannotBeEditedUntilTheAttributeIsCleared)
{
    const QString file = write("ro.txt", "locked");
    setMode(file, 0444);
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    EXPECT_TRUE(doc.fileReadOnly);
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_EQ(tabIcon(doc, view), 2);
    view.addText("x");
    view.SendScintilla(QsciScintillaBase::SCI_REPLACESEL, "y");
    EXPECT_EQ(view.text(), "locked");
    EXPECT_FALSE(documentCommandState(doc, view, CmdReadOnly).enabled);
    EXPECT_TRUE(documentCommandState(doc, view, CmdClearReadOnlyAttribute).enabled);
    EXPECT_FALSE(runDocumentCommand(doc, view, CmdReadOnly));

    // Reload still works on a read-only view and leaves it read-only.
    setMode(file, 0644);
    write("ro.txt", "locked again");
    setMode(file, 0444);
    EXPECT_TRUE(reloadDocument(doc, view, nullptr));
    EXPECT_EQ(view.text(), "locked again");
    EXPECT_TRUE(view.isReadOnly());

    EXPECT_TRUE(runDocumentCommand(doc, view, CmdClearReadOnlyAttribute));
    EXPECT_TRUE(modeOf(file) & S_IWUSR);
    EXPECT_FALSE(doc.fileReadOnly);
    EXPECT_FALSE(view.isReadOnly());
    EXPECT_EQ(tabIcon(doc, view), 0);
    view.addText("x");
    EXPECT_EQ(view.text(), "xlocked again");
    EXPECT_EQ(tabIcon(doc, view), 1);
    EXPECT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(file), "xlocked again");
}

TEST_F(DocumentTest, TheReadOnlyToggleLocksTheDocumentAndItsTextChangingCommands)
{
    const QString file = write("doc.txt", "caf\xC3\xA9\xE2\x98\x83\r\n");
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    EXPECT_TRUE(runDocumentCommand(doc, view, CmdReadOnly));
    EXPECT_TRUE(documentCommandState(doc, view, CmdReadOnly).checked);
    EXPECT_EQ(tabIcon(doc, view), 2);
    view.addText("x");
    EXPECT_FALSE(runDocumentCommand(doc, view, CmdEolUnix));
    EXPECT_FALSE(runDocumentCommand(doc, view, CmdEncodeAnsi));   // the snowman would be lost
    EXPECT_TRUE(runDocumentCommand(doc, view, CmdEncodeUtf8));    // a relabel changes no text
    EXPECT_EQ(view.text(), "caf\xC3\xA9\xE2\x98\x83\r\n");
    EXPECT_EQ(view.eolMode(), EolCrLf);
    EXPECT_TRUE(runDocumentCommand(doc, view, CmdReadOnly));
    EXPECT_FALSE(view.isReadOnly());
    EXPECT_FALSE(documentCommandState(doc, view, CmdEolWindows).enabled);
    EXPECT_TRUE(documentCommandState(doc, view, CmdEolUnix).enabled);
    EXPECT_TRUE(documentCommandState(doc, view, CmdEncodeUtf8).checked);
}

TEST_F(DocumentTest, UndoAfterOpenDoesNothingAndUndoAfterReloadRestores)
{
    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    const QString file = write("u.txt", lines);
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    EXPECT_FALSE(view.canUndo());
    EXPECT_EQ(view.currentPos(), 0);

    view.setSel(500, 500);
    write("u.txt", "short\r\n" + lines);
    doc.changedOutside = true;
    ASSERT_TRUE(reloadDocument(doc, view, nullptr));
    EXPECT_FALSE(doc.changedOutside);
    EXPECT_FALSE(view.isModified());
    EXPECT_EQ(view.currentPos(), 500);
    ASSERT_TRUE(view.canUndo());
    view.undo();
    EXPECT_EQ(view.text(), lines);
    EXPECT_TRUE(view.isModified());

    // A file shorter than the caret position leaves the caret at the start.
    write("u.txt", "tiny");
    view.setSel(900, 900);
    ASSERT_TRUE(reloadDocument(doc, view, nullptr));
    EXPECT_EQ(view.text(), "tiny");
    EXPECT_EQ(view.currentPos(), 0);

    // A reload that cannot read the file keeps the text and says why.
    QFile::remove(file);
    EXPECT_FALSE(reloadDocument(doc, view, nullptr));
    EXPECT_EQ(view.text(), "tiny");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Open file failure.\n" + file + "\n\n" + systemErrorText(ENOENT));
}

TEST_F(DocumentTest, FileStampsAreLocalDosTimesInTwoSecondSteps)
{
    const QString file = write("s.txt", "x");
    struct tm lt = {};
    lt.tm_year = 2021 - 1900, lt.tm_mon = 6, lt.tm_mday = 15;
    lt.tm_hour = 13, lt.tm_min = 47, lt.tm_sec = 31, lt.tm_isdst = -1;
    struct timespec times[2] = {{mktime(&lt), 0}, {mktime(&lt), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    const int32_t expected = int32_t((((2021 - 1980) << 9 | 7 << 5 | 15) << 16) | (13 << 11 | 47 << 5 | 15));
    EXPECT_EQ(fileStamp(file), expected);
    times[1].tv_sec -= 1;   // 13:47:30 is the same two-second step
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    EXPECT_EQ(fileStamp(file), expected);
    EXPECT_EQ(fileStamp(path("missing.txt")), -1);
    EXPECT_EQ(fileStamp(dir.path()), -1);
    EXPECT_EQ(dosStamp(1975, 3, 1, 10, 0, 0), dosStamp(1980, 1, 1, 0, 0, 0));
}

TEST_F(DocumentTest, OpenFailuresCarryTheSystemReason)
{
    IoResult r = loadDocument(doc, view, path("nope.txt"), OpenAutomatic);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, ENOENT);
    EXPECT_EQ(loadDocument(doc, view, dir.path(), OpenAutomatic).error, EISDIR);
    EXPECT_EQ(loadDocument(doc, view, "/dev/zero", OpenAutomatic).error, EINVAL);   // would never end
    // A "%s" inside the path is not filled in again.
    EXPECT_EQ(openFailureText("/tmp/%s.txt", ENOENT),
              "Open file failure.\n/tmp/%s.txt\n\n" + systemErrorText(ENOENT));
}

TEST_F(DocumentTest, AnAnsiSaveThatWouldLoseCharactersAsksFirst)
{
    const QString file = write("ansi.txt", "caf\xE9");
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    ASSERT_EQ(view.encoding(), EncAnsi);
    view.addText("\xE2\x86\x92\xE4\xB8\xAD ");   // "→中 ", typed or pasted

    // Cancel: nothing is written and the document stays modified.
    box.answers = {seams::IDCANCEL};
    EXPECT_FALSE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(file), "caf\xE9");
    EXPECT_TRUE(isModified(doc, view));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, lossyAnsiSaveText(file));
    EXPECT_TRUE(box.shown[0].text.startsWith("ansi.txt holds characters that the ANSI code page cannot represent"));
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(box.shown[0].flags, unsigned(seams::MB_YESNOCANCEL | seams::MB_ICONWARNING));

    // No: saved as ANSI with "?" in their place.
    box.answers = {seams::IDNO};
    EXPECT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(file), "?? caf\xE9");
    EXPECT_EQ(view.encoding(), EncAnsi);
    EXPECT_FALSE(isModified(doc, view));

    // Yes: the document becomes UTF-8 without mark and keeps every character, also
    // through Save As.
    view.addText("\xE2\x86\x92");
    box.answers = {seams::IDYES};
    const QString copy = path("copy.txt");
    EXPECT_TRUE(saveDocumentAs(doc, view, copy, nullptr));
    EXPECT_EQ(read(copy), "\xE2\x86\x92\xE4\xB8\xAD \xE2\x86\x92" "caf\xC3\xA9");
    EXPECT_EQ(view.encoding(), EncUtf8NoBom);
    EXPECT_FALSE(isModified(doc, view));
    EXPECT_EQ(box.shown.size(), 3u);

    // Text the code page holds saves without a question.
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    view.addText("\xE2\x82\xAC");   // the euro sign is in the code page
    EXPECT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(read(file), "\x80?? caf\xE9");
}

TEST_F(DocumentTest, AnEncodingChangeIsAModificationAndKeepsTheUndoHistory)
{
    const QString file = write("u8.txt", "\xEF\xBB\xBF" "abc");
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    view.addText("x");
    ASSERT_TRUE(saveDocument(doc, view, nullptr));
    ASSERT_FALSE(isModified(doc, view));

    for (int command : {CmdEncodeAnsi, CmdEncodeUnicodeBE, CmdEncodeUtf8NoBom}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(runDocumentCommand(doc, view, command));
        EXPECT_TRUE(isModified(doc, view));
        EXPECT_EQ(tabIcon(doc, view), 1);
        EXPECT_TRUE(view.canUndo());   // the typing before the change can still be undone
    }
    // Back to the encoding of the file: nothing left to save.
    EXPECT_TRUE(runDocumentCommand(doc, view, CmdEncodeUtf8));
    EXPECT_FALSE(isModified(doc, view));

    EXPECT_TRUE(runDocumentCommand(doc, view, CmdEncodeAnsi));
    ASSERT_TRUE(saveDocument(doc, view, nullptr));
    EXPECT_EQ(read(file), "xabc");
    EXPECT_FALSE(isModified(doc, view));
    EXPECT_EQ(tabIcon(doc, view), 0);

    // A new document too.
    newDocument(doc, view, EncAnsi);
    EXPECT_TRUE(runDocumentCommand(doc, view, CmdEncodeUnicode));
    EXPECT_TRUE(isModified(doc, view));
}

TEST_F(DocumentTest, FilesOverFiftyMebibytesAreNeverLoadedAsText)
{
    const QString file = write("grows.txt", "small");
    ASSERT_TRUE(loadDocument(doc, view, file, OpenAutomatic).ok);
    {
        QFile f(file);
        ASSERT_TRUE(f.resize(kMaxTextFileSize + 1));
    }
    EXPECT_FALSE(reloadDocument(doc, view, nullptr));
    EXPECT_EQ(view.text(), "small");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, openFailureText(file, EFBIG));
    EXPECT_EQ(loadText(view, file, OpenAutomatic).error, EFBIG);
}
