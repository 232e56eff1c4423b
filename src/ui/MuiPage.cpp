#include "ui/MuiPage.h"

#include "platform/Texts.h"
#include "ui/Translation.h"

namespace ui {

MuiPageModel::MuiPageModel(const QString& languageFolder, const QString& setting)
{
    m_rows << QStringLiteral("Default");
    m_rows << translationFiles(languageFolder);
    for (int i = 1; i < m_rows.size(); ++i)
        if (m_rows.at(i).compare(setting, Qt::CaseInsensitive) == 0) {
            m_current = i;
            break;
        }
}

bool MuiPageModel::select(int row)
{
    if (row < 0 || row >= m_rows.size() || row == m_current)
        return false;
    m_current = row;
    m_changed = true;
    return true;
}

QString MuiPageModel::value() const
{
    return m_current == 0 ? QStringLiteral("Default") : m_rows.at(m_current);
}

QString MuiPageModel::restartMessage()
{
    return texts::str(StrNeedRestart, "Need restart velmo");
}

} // namespace ui
