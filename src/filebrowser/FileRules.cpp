#include "filebrowser/FileRules.h"

#include "platform/Paths.h"
#include "platform/Texts.h"

#include <QDir>
#include <QFileInfo>

namespace filebrowser {

bool isShown(bool isFolder, bool isHidden, const QString& name, const QString& filter)
{
    if (isHidden)
        return false;
    if (isFolder)
        return true;
    const QString f = filter.trimmed().isEmpty() ? QStringLiteral("*.*") : filter;
    return paths::matchSpec(name, f);
}

DoubleClick doubleClickAction(bool isFolder, const QString& path, bool blackList, const QString& patterns)
{
    if (isFolder)
        return DoubleClick::EnterFolder;
    const bool match = !patterns.trimmed().isEmpty()
                       && (paths::matchSpec(path, patterns) || paths::matchSpec(QFileInfo(path).fileName(), patterns));
    const bool editor = blackList ? !match : match;
    return editor ? DoubleClick::OpenInEditor : DoubleClick::OpenWithDesktop;
}

QList<FilterEntry> parseFilters(const QStringList& rows)
{
    QList<FilterEntry> out;
    for (const QString& row : rows) {
        const qsizetype bar = row.indexOf('|');
        if (bar <= 0)
            continue;
        FilterEntry e{row.left(bar).trimmed(), row.mid(bar + 1).trimmed()};
        if (e.pattern.endsWith('|'))
            e.pattern.chop(1);
        if (e.pattern.isEmpty())
            continue;
        out << e;
    }
    if (out.isEmpty())
        out << FilterEntry{texts::str(2942, "All File(*.*)"), QStringLiteral("*.*")};
    return out;
}

QString typedFolder(const QString& typed)
{
    QString t = typed.trimmed();
    if (t.isEmpty())
        return {};
    if (t.startsWith(QLatin1String("~/")) || t == QLatin1String("~"))
        t = QDir::homePath() + t.mid(1);
    const QFileInfo info(t);
    if (!info.isAbsolute() || !info.isDir())
        return {};
    return QDir::cleanPath(info.absoluteFilePath());
}

QStringList folderChain(const QString& folder)
{
    QStringList chain;
    QDir d(QDir::cleanPath(folder));
    for (;;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    return chain;
}

} // namespace filebrowser
