#pragma once
// velmo.ini: the profile-file format (sections in brackets, key=value lines) on a UTF-8 file.
// Section and key names compare without case and the first match wins; keys and values are
// trimmed and one pair of surrounding quotes is removed on read. Writes replace a key in
// place or append it to its section, a new section goes at the end, and every other line
// survives byte for byte. Each write rewrites the file atomically, under a lock on
// "<file>.lock" so that running instances do not lose each other's writes. A read-only
// file (owner's write bit clear) or one that cannot be written is left untouched and the
// write is lost.
#include <QString>
#include <QStringList>

class ProfileFile {
public:
    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& def = QString()) const;
    // The leading integer of the value (decimal, or hexadecimal after 0x), wrapped to 32 bits;
    // a missing key or an empty value gives the default.
    int readInt(const QString& section, const QString& key, int def) const;
    bool hasKey(const QString& section, const QString& key) const;
    // The section's lines (comments and blank lines left out), or empty.
    QStringList readSection(const QString& section) const;
    QStringList sectionNames() const;

    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    // Several keys in one write: afterwards either every one is stored or the file is as it was.
    struct Value {
        QString section, key, value;
    };
    bool writeValues(const QList<Value>& values);
    bool removeKey(const QString& section, const QString& key);
    // Empties the section and fills it with `lines` in place (a new section goes at the end).
    bool writeSection(const QString& section, const QStringList& lines);
    // Whole sections replaced and keys set in one write: all of them are stored, or none.
    struct Section {
        QString section;
        QStringList lines;
    };
    bool writeChanges(const QList<Value>& values, const QList<Section>& sections);

    // Parses an integer the way profile reads do.
    static int parseInt(const QString& text, int def);

private:
    QString m_path;
};
