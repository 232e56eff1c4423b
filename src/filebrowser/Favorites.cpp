#include "filebrowser/Favorites.h"

#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QRegularExpression>

namespace filebrowser {

namespace {
const QString kSection = QStringLiteral("FAVORITE");
}

QStringList readFavorites(const SettingsAccess& s)
{
    QStringList out;
    for (int n = 1; n <= kMaxFavorites; ++n) {
        const QString v = s.read(kSection, QString::number(n));
        if (v.isEmpty())
            break;
        out << v;
    }
    return out;
}

AddFavoriteResult addFavorite(const SettingsAccess& s, const QString& path)
{
    AddFavoriteResult r;
    if (path.isEmpty())
        return r;
    for (int n = 1; n <= kMaxFavorites; ++n) {
        const QString v = s.read(kSection, QString::number(n));
        if (v.isEmpty()) {
            s.write(kSection, QString::number(n), path);
            return {AddFavoriteResult::Added, n};
        }
        if (v == path)
            return {AddFavoriteResult::Duplicate, n};
    }
    s.write(kSection, QString::number(kMaxFavorites), path);
    return {AddFavoriteResult::Replaced, kMaxFavorites};
}

QString addFavoriteMessage(const AddFavoriteResult& r, const QString& path)
{
    switch (r.kind) {
    case AddFavoriteResult::NoPath: return texts::str(2943, "Cannot add current path to favorites.");
    case AddFavoriteResult::Duplicate:
        return texts::str(2944, "'%s' already exist in favorites.").replace(QLatin1String("%s"), path);
    default: return {};
    }
}

unsigned addFavoriteIcon(const AddFavoriteResult& r)
{
    return seams::MB_OK | (r.kind == AddFavoriteResult::Duplicate ? seams::MB_ICONWARNING : seams::MB_ICONERROR);
}

QString favoriteMenuLabel(int n, const QString& displayName)
{
    QString name = displayName;
    name.replace('&', QLatin1String("&&"));   // a name's own ampersands are not accelerators
    return QStringLiteral("&%1 %2").arg(n).arg(name);
}

void FavoritesModel::load(const SettingsAccess& s)
{
    m_rows = readFavorites(s);
    m_selected = -1;
}

void FavoritesModel::apply(const SettingsAccess& s) const
{
    QStringList lines;
    int n = 0;
    for (const QString& row : m_rows) {
        // An emptied row would end the list there and hide every favourite after it.
        if (row.trimmed().isEmpty())
            continue;
        lines << QStringLiteral("%1=%2").arg(++n).arg(row);
    }
    s.writeSection(kSection, lines);
}

void FavoritesModel::select(int row)
{
    m_selected = row >= 0 && row < m_rows.size() ? row : -1;
}

QString FavoritesModel::selectedPath() const
{
    return m_selected >= 0 ? m_rows[m_selected] : QString();
}

void FavoritesModel::setSelectedPath(const QString& path)
{
    if (m_selected >= 0)
        m_rows[m_selected] = path;
}

bool FavoritesModel::addRow(const QString& text)
{
    if (!canAdd())
        return false;
    m_rows << text;
    m_selected = int(m_rows.size()) - 1;
    return true;
}

void FavoritesModel::deleteSelected()
{
    if (m_selected < 0)
        return;
    m_rows.removeAt(m_selected);
    m_selected = m_rows.isEmpty() ? -1 : 0;
}

void FavoritesModel::moveUp()
{
    if (!canMoveUp())
        return;
    m_rows.swapItemsAt(m_selected, m_selected - 1);
    --m_selected;
}

void FavoritesModel::moveDown()
{
    if (!canMoveDown())
        return;
    m_rows.swapItemsAt(m_selected, m_selected + 1);
    ++m_selected;
}

void FileWindowModel::load(const SettingsAccess& s)
{
    blackList = (s.editorMask() & kBlackListBit) != 0;
    whiteList = s.read(QStringLiteral("FILEVIEW"), QStringLiteral("WhiteList")).left(kListLimit);
    blackListText = s.read(QStringLiteral("FILEVIEW"), QStringLiteral("BlackList")).left(kListLimit);
    // The whole section: cutting it short would lose the entries past the cut when the
    // page is applied.
    filterText = s.readSection(QStringLiteral("FILTER")).join(QStringLiteral("\r\n"));
}

void FileWindowModel::apply(const SettingsAccess& s) const
{
    s.write(QStringLiteral("FILEVIEW"), QStringLiteral("WhiteList"), whiteList);
    s.write(QStringLiteral("FILEVIEW"), QStringLiteral("BlackList"), blackListText);
    const unsigned mask = s.editorMask();
    s.setEditorMask(blackList ? (mask | kBlackListBit) : (mask & ~kBlackListBit));
    s.setListInForce(blackList ? blackListText : whiteList);
    QStringList lines;
    for (const QString& line : filterText.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    s.writeSection(QStringLiteral("FILTER"), lines);
}

} // namespace filebrowser
