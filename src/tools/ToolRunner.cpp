#include "tools/ToolRunner.h"

#include "platform/Paths.h"
#include "platform/Process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>


namespace tools {

namespace {

std::optional<QString> systemLookup(const QString& name)
{
    const QByteArray key = name.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData()))
        return std::nullopt;
    return qEnvironmentVariable(key.constData());
}

bool hasFile(const QString& path)
{
    return !path.isEmpty() && !path.startsWith(QLatin1Char('<'));
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : QString());
}

} // namespace

Applies applies(const ToolRecord& tool, const ActiveDocument& doc)
{
    if (!(tool.flags & NeedsFile))
        return Applies::Yes;
    if (!doc.exists)
        return Applies::NoDocument;
    if (!doc.text || !hasFile(doc.path))
        return Applies::NoFile;
    if (tool.filters.trimmed().isEmpty())
        return Applies::Yes;
    // The patterns match the file name or the whole path.
    const QString name = doc.path.mid(doc.path.lastIndexOf(QLatin1Char('/')) + 1);
    if (paths::matchSpec(name, tool.filters) || paths::matchSpec(doc.path, tool.filters))
        return Applies::Yes;
    return Applies::FilterMismatch;
}

QString expandEnvironment(const QString& text, const EnvironmentLookup& lookupIn)
{
    const EnvironmentLookup& lookup = lookupIn ? lookupIn : EnvironmentLookup(systemLookup);
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), pos);
        if (open < 0) {
            out += QStringView(text).mid(pos);
            break;
        }
        out += QStringView(text).mid(pos, open - pos);
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            out += QStringView(text).mid(open);
            break;
        }
        const QString name = text.mid(open + 1, close - open - 1);
        std::optional<QString> value;
        if (!name.isEmpty() && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')))
            value = lookup(name);
        if (value) {
            out += *value;
            pos = close + 1;
        } else {
            // Kept as written; the closing "%" may open the next reference.
            out += QLatin1Char('%');
            pos = open + 1;
        }
    }
    return out;
}

QString workingDirectory(const ToolRecord& tool, const ActiveDocument& doc, const EnvironmentLookup& lookup)
{
    if (tool.dir.compare(QLatin1String("$(FILE_PATH)"), Qt::CaseInsensitive) == 0 && doc.exists && hasFile(doc.path))
        return folderOf(doc.path);
    return tool.dir.isEmpty() ? QString() : expandEnvironment(tool.dir, lookup);
}

QString commandText(const QString& command, const templates::MacroContext& context, const EnvironmentLookup& lookup)
{
    const std::string env = expandEnvironment(command, lookup).toStdString();
    templates::MacroExpander expander(context);
    expander.reset();
    expander.expand(env);
    return QString::fromStdString(expander.result());
}

Mode modeOf(int flags)
{
    if (flags & AsBatchFile)
        return Mode::BatchFile;
    if (flags & InCommandWindow)
        return Mode::CommandWindow;
    return Mode::Process;
}

QStringList commandLines(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString batchLine(const QString& batchPath)
{
    return batchPath.contains(QLatin1Char(' ')) ? QLatin1Char('"') + batchPath + QLatin1Char('"') : batchPath;
}

bool writeBatchFile(const QString& path, const QString& text, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text.toUtf8()) < 0 || !f.flush()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.close();
    return true;
}

QStringList splitCommand(const QString& text)
{
    QString t = text;
    for (QChar& c : t)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    QStringList out;
    for (const std::u16string& a : process::splitArguments(t.toStdU16String()))
        out << QString::fromStdU16String(a);
    return out;
}

StartResult startProcess(const QString& text, const QString& directory, bool wait)
{
    StartResult r;
    const QStringList args = splitCommand(text);
    if (args.isEmpty() || args.first().isEmpty()) {
        r.error = StartResult::Error::EmptyCommand;
        return r;
    }
    r.program = args.first();
    const QString folder = directory.isEmpty() ? QDir::currentPath() : directory;
    if (!QFileInfo(folder).isDir()) {
        r.error = StartResult::Error::FolderMissing;
        r.detail = folder;
        return r;
    }
    // A name with a slash is a path (relative ones from the working folder); a bare name
    // is looked for on PATH.
    QString program;
    if (r.program.contains(QLatin1Char('/')))
        program = QDir(folder).absoluteFilePath(r.program);
    else
        program = QString::fromStdString(process::findOnPath(r.program.toStdString()));
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile() || !info.isExecutable()) {
        r.error = StartResult::Error::ProgramNotFound;
        return r;
    }

    process::SpawnRequest req;
    req.program = QFile::encodeName(program).toStdString();
    for (const QString& a : args)
        req.argv.push_back(a.toStdString());
    req.envp = process::currentEnvironment();
    req.directory = QFile::encodeName(folder).toStdString();
    req.fds[0] = 0;
    req.fds[1] = 1;
    req.fds[2] = 2;
    req.processGroup = 0;
    const process::SpawnResult s = process::spawnProcess(req);
    if (s.pid < 0) {
        r.error = StartResult::Error::CannotStart;
        r.detail = QStringLiteral("system error %1").arg(s.error);
        return r;
    }
    r.pid = s.pid;
    if (wait) {
        r.exitCode = process::waitForChild(s.pid);
    } else {
        // Nobody waits for it: it is reaped when it ends.
        std::thread([pid = s.pid] { process::waitForChild(pid); }).detach();
    }
    return r;
}

} // namespace tools
