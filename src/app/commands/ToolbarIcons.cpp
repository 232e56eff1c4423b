#include "app/commands/ToolbarIcons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace cmd {
namespace {

struct IconSpec {
    int id;
    const char* theme;   // freedesktop icon name, or "" when the theme has none for it
    const char* file;    // our own image in data/icons
};

constexpr IconSpec kIcons[] = {
    {100, "document-new", "new.svg"},
    {101, "document-open", "open.svg"},
    {106, "document-save", "save.svg"},
    {108, "", "save-all.svg"},
    {117, "document-print", "print.svg"},
    {200, "edit-undo", "undo.svg"},
    {201, "edit-redo", "redo.svg"},
    {202, "edit-cut", "cut.svg"},
    {203, "edit-copy", "copy.svg"},
    {204, "edit-paste", "paste.svg"},
    {205, "edit-delete", "delete.svg"},
    {306, "", "word-wrap.svg"},
    {309, "", "end-of-line.svg"},
    {311, "zoom-in", "zoom-in.svg"},
    {312, "zoom-out", "zoom-out.svg"},
    {338, "preferences-desktop-font", "font.svg"},
    {400, "edit-find", "find.svg"},
    {401, "edit-find-replace", "replace.svg"},
    {406, "system-search", "find-in-files.svg"},
    {686, "preferences-system", "options.svg"},
    {304, "view-fullscreen", "full-screen.svg"},
    {804, "", "panel-file.svg"},
    {805, "", "panel-template.svg"},
    {806, "", "panel-symbol.svg"},
    {807, "", "panel-command.svg"},
    {808, "", "panel-find1.svg"},
    {809, "", "panel-find2.svg"},
    {820, "help-contents", "help.svg"},
};

const IconSpec* iconEntry(int id)
{
    for (const IconSpec& s : kIcons)
        if (s.id == id)
            return &s;
    return nullptr;
}

} // namespace

QString dataFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1String("/../share/velmo"));
}

QString iconThemeName(int id)
{
    const IconSpec* s = iconEntry(id);
    return s ? QString::fromLatin1(s->theme) : QString();
}

QString iconFileName(int id)
{
    const IconSpec* s = iconEntry(id);
    return s ? QString::fromLatin1(s->file) : QString();
}

QIcon commandIcon(int id)
{
    const IconSpec* s = iconEntry(id);
    if (!s)
        return {};
    const QString file = dataFolder() + QLatin1String("/icons/") + QLatin1String(s->file);
    QIcon own = QFileInfo::exists(file) ? QIcon(file) : QIcon();
    if (*s->theme && QIcon::hasThemeIcon(QLatin1String(s->theme)))
        return QIcon::fromTheme(QLatin1String(s->theme), own);
    return own;
}

} // namespace cmd
