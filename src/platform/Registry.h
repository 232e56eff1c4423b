#pragma once
// The per-user registry store (the current user's hive): keys and sub-keys holding string,
// DWORD and binary values, names compared without case. It lives in one human-readable
// file under $XDG_CONFIG_HOME/velmo/, rewritten atomically under a file lock so that two
// running instances never lose each other's writes. Key names with a line break or another
// control character are refused.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace registry {

enum class Type { String, Dword, Binary };

struct Value {
    Type type = Type::String;
    QString string;
    quint32 dword = 0;
    QByteArray binary;
};

class Store {
public:
    explicit Store(QString filePath);
    const QString& filePath() const { return m_path; }

    bool keyExists(const QString& key) const;
    bool createKey(const QString& key);
    bool deleteTree(const QString& key);
    QStringList subKeys(const QString& key) const;
    QStringList valueNames(const QString& key) const;

    std::optional<Value> query(const QString& key, const QString& name) const;
    std::optional<QString> queryString(const QString& key, const QString& name) const;
    std::optional<quint32> queryDword(const QString& key, const QString& name) const;
    std::optional<QByteArray> queryBinary(const QString& key, const QString& name) const;

    // Setting a value creates its key.
    bool set(const QString& key, const QString& name, const Value& value);
    // Sets `values` and deletes the values named in `removed` of `key` (created with its
    // parents) in one write of the store: every change is kept or none is.
    bool setValues(const QString& key, const std::vector<std::pair<QString, Value>>& values,
                   const QStringList& removed = {});
    bool setString(const QString& key, const QString& name, const QString& value);
    bool setDword(const QString& key, const QString& name, quint32 value);
    bool setBinary(const QString& key, const QString& name, const QByteArray& value);
    bool deleteValue(const QString& key, const QString& name);

private:
    QString m_path;
};

// The current user's store: $XDG_CONFIG_HOME/velmo/registry.txt (default ~/.config).
Store& user();
// Points user() at another file (tests); an empty path restores the default.
void setUserStorePath(const QString& path);

std::optional<QString> queryString(const QString& key, const QString& name);
std::optional<quint32> queryDword(const QString& key, const QString& name);

} // namespace registry
