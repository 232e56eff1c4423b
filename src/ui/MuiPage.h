#pragma once
// What the MUI options page edits, without its widgets: "Default" and the translation
// files of the language folder, the row of the current [EDITOR] "MUI" setting, and the
// value applying stores.
#include <QString>
#include <QStringList>

namespace ui {

class MuiPageModel {
public:
    enum : int { StrNeedRestart = 1067 };

    // `setting` is the current [EDITOR] "MUI" value.
    MuiPageModel(const QString& languageFolder, const QString& setting);

    // "Default" first, then every "*.xml" file name (names beginning with "." skipped).
    const QStringList& rows() const { return m_rows; }
    // The row of the setting, names compared without regard to case; 0 when none matches.
    int current() const { return m_current; }

    // Choosing a row; true when it differs from the shown one (the Apply button).
    bool select(int row);
    bool changed() const { return m_changed; }

    // The value to write to [EDITOR] "MUI" for the chosen row.
    QString value() const;
    // The text of the information box shown after applying.
    static QString restartMessage();

private:
    QStringList m_rows;
    int m_current = 0;
    bool m_changed = false;
};

} // namespace ui
