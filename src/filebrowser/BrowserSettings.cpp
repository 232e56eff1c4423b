#include "filebrowser/BrowserSettings.h"

#include "platform/ProfileFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace filebrowser {

int SettingsAccess::readInt(const QString& section, const QString& key, int def) const
{
    bool ok = false;
    const int v = read(section, key).trimmed().toInt(&ok);
    return ok ? v : def;
}

SettingsAccess accessOver(ProfileFile& file, unsigned& editorMask, QString& listInForce)
{
    SettingsAccess s;
    s.read = [&file](const QString& section, const QString& key) { return file.readString(section, key); };
    s.write = [&file](const QString& section, const QString& key, const QString& value) {
        file.writeString(section, key, value);
    };
    s.readSection = [&file](const QString& section) { return file.readSection(section); };
    s.writeSection = [&file](const QString& section, const QStringList& lines) { file.writeSection(section, lines); };
    s.editorMask = [&editorMask] { return editorMask; };
    s.setEditorMask = [&editorMask](unsigned m) { editorMask = m; };
    s.listInForce = [&listInForce] { return listInForce; };
    s.setListInForce = [&listInForce](const QString& l) { listInForce = l; };
    return s;
}

PanelState readPanelState(const SettingsAccess& s)
{
    PanelState st;
    st.path = s.read(QStringLiteral("USER"), QStringLiteral("path"));
    const QString filter = s.read(QStringLiteral("USER"), QStringLiteral("Filter"));
    if (!filter.trimmed().isEmpty())
        st.filter = filter;
    st.viewMode = s.readInt(QStringLiteral("USER"), QStringLiteral("ViewMode"), 3);
    st.viewFlags = s.readInt(QStringLiteral("USER"), QStringLiteral("ViewFlags"), 4);
    return st;
}

void writePanelState(const SettingsAccess& s, const PanelState& st)
{
    s.write(QStringLiteral("USER"), QStringLiteral("path"), st.path);
    s.write(QStringLiteral("USER"), QStringLiteral("Filter"), st.filter);
    s.write(QStringLiteral("USER"), QStringLiteral("ViewMode"), QString::number(st.viewMode));
    s.write(QStringLiteral("USER"), QStringLiteral("ViewFlags"), QString::number(st.viewFlags));
}

QString documentsToken()
{
    return QStringLiteral("::{450d8fba-ad25-11d0-98a8-0800361b1103}");
}

QString desktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return QDir::cleanPath(desktop);
    return QDir::cleanPath(QDir::homePath());
}

static QString documentsFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString resolveSavedPath(const QString& saved)
{
    if (saved.trimmed().isEmpty())
        return desktopFolder();
    if (saved == documentsToken())
        return documentsFolder();
    return saved;
}

QString savedPathFor(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    if (clean == documentsFolder() && clean != QDir::cleanPath(QDir::homePath()))
        return documentsToken();
    return clean;
}

} // namespace filebrowser
