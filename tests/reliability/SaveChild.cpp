// The child of the crash-safety check: saves one kind of file through the editor's own save
// code, over and over, until it is killed. "velmo_save_child <kind> <path> A|B" saves that
// content once and exits (the driver takes its reference bytes that way); "... loop" writes
// "r" to standard output when it is ready to save, then saves B, A, B, A... and writes one
// "s" after each save. "velmo_save_child hex <path> open" opens the file in the hex view, which
// finishes a save that a kill cut short.
//
// Kinds: text0 .. text4 (a text document in that encoding), hex (typed bytes saved from the
// hex view), ini (velmo.ini through the profile code), registry (the registry store),
// session (a session file), backup (a modified document's backup, "<folder>/<name>.txt"),
// keymap (keymap.key), db (the tools table of velmo.db). A database is compared by what it
// holds, not its bytes: "velmo_save_child db <path> dump" opens it as the editor would
// (which rolls back a transaction a kill cut short), checks it and prints its tools.
#include "app/Session.h"
#include "documents/backup/BackupStore.h"
#include "documents/hex/HexModel.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "tools/ToolStore.h"
#include "ui/KeyMap.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// A text of `lines` lines with characters every encoding (the ANSI code page included)
// holds, different for A and B so that old and new differ in length and bytes.
std::string content(char which, int lines)
{
    std::string s;
    for (int i = 0; i < lines; ++i) {
        s += "line " + std::to_string(i) + (which == 'A' ? " caf\xC3\xA9 \xE2\x82\xAC alpha" : " gr\xC3\xBC\xC3\x9F beta-beta");
        s += "\r\n";
    }
    return s;
}

CTextView& textView()
{
    static CTextView* view = new CTextView;
    return *view;
}

bool saveText(int encoding, const QString& path, char which)
{
    CTextView* view = &textView();
    const std::string text = content(which, which == 'A' ? 9000 : 7000);
    view->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, text.c_str());
    view->setEncoding(encoding);
    return bool(textdoc::saveText(*view, path));
}

// The hex view saves typed bytes in place: three runs far apart, their values A or B.
bool saveHex(const QString& path, char which)
{
    hex::HexModel model;
    if (!model.load(path))
        return false;
    const char* digits = which == 'A' ? "41" : "42";
    for (int64_t offset : {int64_t(16), model.size() / 2, model.size() - 3}) {
        model.setSelection(offset, offset);
        for (const char* d = digits; *d; ++d)
            model.typeChar(char16_t(*d));
        for (const char* d = digits; *d; ++d)
            model.typeChar(char16_t(*d));
    }
    return model.save() == hex::HexModel::SaveResult::Ok;
}

QString bigValue(char which)
{
    return QString(which == 'A' ? 60000 : 45000, QChar(which == 'A' ? u'\u00e9' : u'b'));
}

bool saveIni(const QString& path, char which)
{
    ProfileFile ini(path);
    return ini.writeString(QStringLiteral("EDITOR"), QStringLiteral("Big"), bigValue(which));
}

bool saveRegistry(const QString& path, char which)
{
    registry::Store store(path);
    return store.setString(QStringLiteral("Software\\Velmo"), QStringLiteral("Big"), bigValue(which));
}

bool saveSession(const QString& path, char which)
{
    session::Session s;
    s.index = which == 'A' ? 3 : 1;
    for (int i = 0; i < (which == 'A' ? 3000 : 2200); ++i) {
        session::FileEntry f;
        f.path = QStringLiteral("/home/user/project %1/file-%2.txt").arg(which).arg(i);
        f.firstVisibleLine = i;
        f.startPos = f.endPos = 7;
        f.xOffset = 0;
        f.marks = {1, 5, long(i)};
        s.files.push_back(f);
    }
    return session::writeFile(path, s);
}

bool saveBackup(const QString& path, char which)
{
    const QFileInfo info(path);
    backup::Writer writer(info.absolutePath());
    writer.write(info.completeBaseName(), content(which, which == 'A' ? 40000 : 31000),
                 QByteArray("Path=/home/user/notes.txt\n"));
    writer.flush();
    return writer.failures() == 0;
}

bool saveKeymap(const QString& path, char which)
{
    std::vector<keymap::AccelEntry> entries;
    for (int i = 0; i < (which == 'A' ? 400 : 300); ++i) {
        keymap::AccelEntry e;
        e.flags = std::uint8_t(0x01 | (i % 3 == 0 ? 0x08 : 0x04));
        e.key = std::uint16_t(0x30 + i % 40);
        e.cmd = std::uint16_t(which == 'A' ? 100 + i : 900 + i);
        entries.push_back(e);
    }
    return keymap::write(path, entries);
}

std::vector<tools::ToolRecord> toolRows(char which)
{
    std::vector<tools::ToolRecord> rows;
    for (int i = 0; i < (which == 'A' ? 60 : 45); ++i) {
        tools::ToolRecord t;
        t.name = QStringLiteral("Tool %1 %2").arg(which).arg(i);
        t.command = QString(which == 'A' ? 3000 : 2000, QLatin1Char(which)) + QString::number(i);
        t.dir = QStringLiteral("$(FILE_PATH)");
        t.shortcut = QString::number(0x740009 + i);
        t.filters = QStringLiteral("*.c;*.h");
        t.flags = i % 0x80;
        rows.push_back(t);
    }
    return rows;
}

bool saveDb(const QString& path, char which)
{
    tools::ToolStore store;
    return store.open(path) && store.replaceAll(toolRows(which));
}

// The database as the next start finds it: whole, and the tools it holds (their IDs aside,
// which every replacement renews).
int dumpDb(const QString& path)
{
    tools::ToolStore store;
    if (!store.open(path))
        return 1;
    QString check;
    if (!store.db().exec(QStringLiteral("PRAGMA integrity_check"), {},
                         [&](const SqliteRow& row) { check = row.text(0); return true; })
        || check != QLatin1String("ok"))
        return 1;
    for (const tools::ToolRecord& t : store.load(1000))
        std::printf("%s\t%s\t%s\t%s\t%s\t%d\n", qPrintable(t.name), qPrintable(t.command), qPrintable(t.dir),
                    qPrintable(t.shortcut), qPrintable(t.filters), t.flags);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: velmo_save_child text0..text4|hex|ini|registry|session|backup|keymap|db <path> "
                             "A|B|loop|open|dump\n");
        return 2;
    }
    const std::string kind = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    const std::string mode = argv[3];
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    QApplication app(qargc, argv);

    auto save = [&](char which) {
        if (kind.size() == 5 && kind.compare(0, 4, "text") == 0 && kind[4] >= '0' && kind[4] <= '4')
            return saveText(kind[4] - '0', path, which);
        if (kind == "hex")
            return saveHex(path, which);
        if (kind == "ini")
            return saveIni(path, which);
        if (kind == "registry")
            return saveRegistry(path, which);
        if (kind == "session")
            return saveSession(path, which);
        if (kind == "backup")
            return saveBackup(path, which);
        if (kind == "keymap")
            return saveKeymap(path, which);
        if (kind == "db")
            return saveDb(path, which);
        std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
        return false;
    };

    if (mode == "open" && kind == "hex") {
        hex::HexModel model;
        return model.load(path) ? 0 : 1;
    }
    if (mode == "dump" && kind == "db")
        return dumpDb(path);
    if (mode == "A" || mode == "B")
        return save(mode[0]) ? 0 : 1;
    if (mode != "loop")
        return 2;
    if (kind.compare(0, 4, "text") == 0)
        textView();   // the view exists before the first save is timed
    (void)!::write(1, "r", 1);
    for (char which = 'B';; which = which == 'A' ? 'B' : 'A') {
        if (!save(which)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        (void)!::write(1, "s", 1);
    }
}
