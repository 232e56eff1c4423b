#include "shell/ShellIntegration.h"

#include "platform/AtomicFile.h"
#include "platform/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

namespace shell {

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

QByteArray readFile(const QString& path, bool* exists = nullptr)
{
    QFile f(path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (exists)
        *exists = ok;
    return ok ? f.readAll() : QByteArray();
}

// The text split into lines that keep their line ends, so that joining them gives back
// every byte.
QList<QByteArray> splitLines(const QByteArray& text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf('\n', start);
        const qsizetype end = lf < 0 ? text.size() : lf + 1;
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

QByteArray body(const QByteArray& line)
{
    QByteArray b = line;
    while (b.endsWith('\n') || b.endsWith('\r'))
        b.chop(1);
    return b;
}

QByteArray lineEnd(const QByteArray& line)
{
    return line.mid(body(line).size());
}

bool isHeader(const QByteArray& line)
{
    const QByteArray t = body(line).trimmed();
    return t.startsWith('[') && t.endsWith(']');
}

bool isHeaderNamed(const QByteArray& line, const char* name)
{
    return body(line).trimmed() == name;
}

// The key of a "key=value" line, or empty.
QByteArray keyOf(const QByteArray& line)
{
    const QByteArray b = body(line);
    const qsizetype eq = b.indexOf('=');
    if (eq <= 0 || b.trimmed().startsWith('#'))
        return {};
    return b.left(eq).trimmed();
}

QByteArray valueOf(const QByteArray& line)
{
    const QByteArray b = body(line);
    return b.mid(b.indexOf('=') + 1);
}

constexpr const char* AddedSection = "[Added Associations]";

// Index range of the lines of "[Added Associations]" after its header: [first, end).
bool findSection(const QList<QByteArray>& lines, qsizetype* header, qsizetype* end)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isHeaderNamed(lines[i], AddedSection))
            continue;
        qsizetype j = i + 1;
        while (j < lines.size() && !isHeader(lines[j]))
            ++j;
        *header = i;
        *end = j;
        return true;
    }
    return false;
}

} // namespace

QString userDesktopFile(const Folders& folders)
{
    return q(folders.dataHome) + QStringLiteral("/applications/") + QLatin1String(DesktopFileName);
}

QString mimeAppsFile(const Folders& folders)
{
    return q(folders.configHome) + QStringLiteral("/mimeapps.list");
}

QByteArray userDesktopEntry(const QString& program)
{
    return QByteArray("[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=Velmo\n"
                      "GenericName=Text Editor\n"
                      "Comment=Edit text and program files\n"
                      "Exec=")
           + QByteArray::fromStdString(desktopExecArgument(QFile::encodeName(program).toStdString()))
           + " %F\n"
             "Icon=velmo\n"
             "Terminal=false\n"
             "Categories=Utility;TextEditor;Development;\n"
             "MimeType=text/plain;text/html;application/xhtml+xml;\n"
           + QByteArray(BrowserMarker) + "\n";
}

bool hasAssociation(const QByteArray& mimeApps, const QByteArray& mimeType)
{
    const QList<QByteArray> lines = splitLines(mimeApps);
    qsizetype header = 0, end = 0;
    if (!findSection(lines, &header, &end))
        return false;
    for (qsizetype i = header + 1; i < end; ++i)
        if (keyOf(lines[i]) == mimeType && valueOf(lines[i]).split(';').contains(DesktopFileName))
            return true;
    return false;
}

QByteArray addAssociation(const QByteArray& mimeApps, const QByteArray& mimeType)
{
    if (hasAssociation(mimeApps, mimeType))
        return mimeApps;
    QList<QByteArray> lines = splitLines(mimeApps);
    const QByteArray entry = QByteArray(DesktopFileName) + ';';
    qsizetype header = 0, end = 0;
    if (!findSection(lines, &header, &end)) {
        QByteArray out = mimeApps;
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += '\n';
        return out + AddedSection + '\n' + mimeType + '=' + entry + '\n';
    }
    const QByteArray eol = lineEnd(lines[header]).isEmpty() ? QByteArray("\n") : lineEnd(lines[header]);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (keyOf(lines[i]) != mimeType)
            continue;
        // Added after the programs already listed.
        QByteArray b = body(lines[i]);
        if (!b.endsWith(';') && !b.endsWith('='))
            b += ';';
        lines[i] = b + entry + (lineEnd(lines[i]).isEmpty() ? eol : lineEnd(lines[i]));
        return lines.join();
    }
    if (lineEnd(lines[header]).isEmpty())
        lines[header] += eol;
    lines.insert(header + 1, mimeType + '=' + entry + eol);
    return lines.join();
}

QByteArray removeAssociation(const QByteArray& mimeApps, const QByteArray& mimeType)
{
    QList<QByteArray> lines = splitLines(mimeApps);
    qsizetype header = 0, end = 0;
    if (!findSection(lines, &header, &end))
        return mimeApps;
    bool changed = false;
    for (qsizetype i = end - 1; i > header; --i) {
        if (keyOf(lines[i]) != mimeType)
            continue;
        const QByteArray value = valueOf(lines[i]);
        QList<QByteArray> items = value.split(';');
        if (!items.contains(DesktopFileName))
            continue;
        items.removeAll(DesktopFileName);
        changed = true;
        QList<QByteArray> rest;
        for (const QByteArray& item : items)
            if (!item.trimmed().isEmpty())
                rest.append(item);
        if (rest.isEmpty()) {
            lines.removeAt(i);
            --end;
            continue;
        }
        const QByteArray b = body(lines[i]);
        QByteArray joined = rest.join(';');
        if (value.endsWith(';'))
            joined += ';';
        lines[i] = b.left(b.indexOf('=') + 1) + joined + lineEnd(lines[i]);
    }
    if (!changed)
        return mimeApps;
    // A section left with nothing but blank lines goes too: it was ours.
    bool empty = true;
    for (qsizetype i = header + 1; i < end; ++i)
        if (!body(lines[i]).trimmed().isEmpty())
            empty = false;
    if (empty)
        lines.removeAt(header);
    return lines.join();
}

bool setBrowserOption(const Folders& folders, bool on, const QString& program)
{
    const QString desktop = userDesktopFile(folders);
    const QString mimeApps = mimeAppsFile(folders);
    bool exists = false;
    const QByteArray oldList = readFile(mimeApps, &exists);
    if (!exists && QFileInfo::exists(mimeApps))
        return false; // there but unreadable: never replaced by a list of our own
    bool ok = true;
    if (on) {
        const bool desktopExists = QFileInfo::exists(desktop) || QFileInfo(desktop).isSymLink();
        if (!desktopExists || hasMarkerLine(QFile::encodeName(desktop).toStdString(), BrowserMarker)) {
            const QByteArray entry = userDesktopEntry(program);
            if (readFile(desktop) != entry) {
                QDir().mkpath(QFileInfo(desktop).absolutePath());
                ok = atomicfile::write(desktop, entry) && ok;
            }
        }
        const QByteArray newList = addAssociation(oldList, HtmlMimeType);
        if (newList != oldList) {
            QDir().mkpath(QFileInfo(mimeApps).absolutePath());
            ok = atomicfile::write(mimeApps, newList) && ok;
        }
        return ok;
    }
    const QByteArray newList = removeAssociation(oldList, HtmlMimeType);
    if (newList != oldList)
        ok = atomicfile::write(mimeApps, newList) && ok;
    if (hasMarkerLine(QFile::encodeName(desktop).toStdString(), BrowserMarker))
        ok = QFile::remove(desktop) && ok;
    return ok;
}

bool browserOptionOn(const Folders& folders)
{
    return hasAssociation(readFile(mimeAppsFile(folders)), HtmlMimeType);
}

RegisterResult setContextMenuOption(bool on, const QString& libraryPath)
{
    QStringList candidates;
    if (!libraryPath.isEmpty()) {
        candidates << libraryPath;
    } else {
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lib/libvelmoshell.so"));
        candidates << QStringLiteral("velmoshell");
    }
    for (const QString& name : candidates) {
        if (name.contains('/') && !QFileInfo::exists(name))
            continue;
        QLibrary lib(name);
        if (!lib.load())
            continue;
        using Entry = long (*)();
        const auto entry = reinterpret_cast<Entry>(lib.resolve(on ? "DllRegisterServer" : "DllUnregisterServer"));
        if (!entry) {
            lib.unload();
            return RegisterResult::Missing;
        }
        const long result = entry();
        lib.unload();
        return result < 0 ? RegisterResult::Failed : RegisterResult::Done;
    }
    return RegisterResult::Missing;
}

bool contextMenuOptionOn(const Folders& folders)
{
    return contextMenuRegistered(folders);
}

ShellOptions readShellOptions(const Folders& folders)
{
    return {browserOptionOn(folders), contextMenuOptionOn(folders)};
}

ApplyResult applyShellOptions(const ShellOptions& initial, const ShellOptions& wanted, const Folders& folders,
                              const QString& program, const QString& libraryPath)
{
    ApplyResult r;
    if (wanted.browser != initial.browser) {
        // Write errors stay silent: the page shows what the files hold next time.
        (void)setBrowserOption(folders, wanted.browser, program.isEmpty() ? editorProgram() : program);
        r.wroteBrowser = true;
    }
    if (wanted.contextMenu != initial.contextMenu) {
        r.calledLibrary = true;
        r.showFailed = setContextMenuOption(wanted.contextMenu, libraryPath) == RegisterResult::Failed;
    }
    return r;
}

QString failedMessage()
{
    return texts::str(2983, "failed");
}

QString editorProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velmo"));
}

} // namespace shell
