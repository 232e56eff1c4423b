#include "platform/Registry.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace registry {
namespace {

struct Key {
    QString name;   // as first written
    std::vector<std::pair<QString, Value>> values;
};

using Hive = std::map<QString, Key>;   // folded path -> key

// Parts are trimmed and blank ones left out, so a normalised name normalises to itself.
QString normalise(const QString& key)
{
    QStringList parts;
    for (const QString& p : QString(key).replace('/', '\\').split('\\')) {
        const QString t = p.trimmed();
        if (!t.isEmpty())
            parts << t;
    }
    return parts.join('\\');
}

// Key names are written as header lines: a line break or another control character in one
// could start lines of its own, so such names are refused.
bool validKey(const QString& key)
{
    for (QChar c : key) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029)
            return false;
    }
    return !normalise(key).isEmpty();
}

QString fold(const QString& key)
{
    return normalise(key).toCaseFolded();
}

QString escape(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c == '\\') out += QLatin1String("\\\\");
        else if (c == '"') out += QLatin1String("\\\"");
        else if (c == '\n') out += QLatin1String("\\n");
        else if (c == '\r') out += QLatin1String("\\r");
        else if (c == QChar(0)) out += QLatin1String("\\0");
        else out += c;
    }
    return out;
}

// Reads a quoted string starting at s[i] == '"'; i ends after the closing quote.
QString unescape(const QString& s, qsizetype& i)
{
    QString out;
    ++i;
    while (i < s.size() && s[i] != '"') {
        if (s[i] == '\\' && i + 1 < s.size()) {
            QChar n = s[i + 1];
            out += n == 'n' ? QChar('\n') : n == 'r' ? QChar('\r') : n == '0' ? QChar(0) : n;
            i += 2;
        } else {
            out += s[i++];
        }
    }
    ++i;
    return out;
}

Hive parse(const QByteArray& data)
{
    Hive hive;
    Key* current = nullptr;
    for (const QByteArray& rawLine : data.split('\n')) {
        QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            QString name = normalise(line.mid(1, line.size() - 2));
            Key& k = hive[name.toCaseFolded()];
            if (k.name.isEmpty())
                k.name = name;
            current = &k;
            continue;
        }
        if (!current)
            continue;
        qsizetype i = 0;
        QString name;
        if (line.startsWith('@'))
            i = 1;
        else if (line.startsWith('"'))
            name = unescape(line, i);
        else
            continue;
        if (i >= line.size() || line[i] != '=')
            continue;
        ++i;
        QString rest = line.mid(i);
        Value v;
        if (rest.startsWith('"')) {
            qsizetype j = 0;
            v.type = Type::String;
            v.string = unescape(rest, j);
        } else if (rest.startsWith(QLatin1String("dword:"))) {
            v.type = Type::Dword;
            v.dword = rest.mid(6).toUInt(nullptr, 16);
        } else if (rest.startsWith(QLatin1String("hex:"))) {
            v.type = Type::Binary;
            v.binary = QByteArray::fromHex(rest.mid(4).remove(',').toLatin1());
        } else {
            continue;
        }
        current->values.emplace_back(name, v);
    }
    return hive;
}

QByteArray serialise(const Hive& hive)
{
    QString out = QStringLiteral("; Velmo per-user settings store\n");
    for (const auto& [folded, key] : hive) {
        out += '\n' + QString('[') + key.name + "]\n";
        for (const auto& [name, v] : key.values) {
            out += name.isEmpty() ? QStringLiteral("@") : '"' + escape(name) + '"';
            out += '=';
            switch (v.type) {
            case Type::String: out += '"' + escape(v.string) + '"'; break;
            case Type::Dword: out += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QChar('0')); break;
            case Type::Binary: {
                QByteArray hex = v.binary.toHex(',');
                out += QStringLiteral("hex:") + QString::fromLatin1(hex);
                break;
            }
            }
            out += '\n';
        }
    }
    return out.toUtf8();
}

Hive loadHive(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parse(f.readAll());
}

template <typename F>
bool modify(const QString& path, F change)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    FileLock lock(path);
    Hive hive = loadHive(path);
    if (!change(hive))
        return false;
    return atomicfile::write(path, serialise(hive));
}

void ensureParents(Hive& hive, const QString& key)
{
    QStringList parts = normalise(key).split('\\', Qt::SkipEmptyParts);
    QString path;
    for (const QString& p : parts) {
        path = path.isEmpty() ? p : path + '\\' + p;
        Key& k = hive[path.toCaseFolded()];
        if (k.name.isEmpty())
            k.name = path;
    }
}

QString defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/velmo/registry.txt");
}

std::unique_ptr<Store>& userStore()
{
    static std::unique_ptr<Store> store;
    return store;
}

} // namespace

Store::Store(QString filePath) : m_path(std::move(filePath)) {}

bool Store::keyExists(const QString& key) const
{
    Hive h = loadHive(m_path);
    return h.count(fold(key)) != 0;
}

bool Store::createKey(const QString& key)
{
    if (!validKey(key))
        return false;
    return modify(m_path, [&](Hive& h) {
        ensureParents(h, key);
        return true;
    });
}

bool Store::deleteTree(const QString& key)
{
    const QString f = fold(key);
    if (f.isEmpty())
        return false;
    return modify(m_path, [&](Hive& h) {
        bool found = false;
        for (auto it = h.begin(); it != h.end();) {
            if (it->first == f || it->first.startsWith(f + '\\')) {
                it = h.erase(it);
                found = true;
            } else {
                ++it;
            }
        }
        return found;
    });
}

QStringList Store::subKeys(const QString& key) const
{
    const QString f = fold(key);
    QStringList out;
    for (const auto& [folded, k] : loadHive(m_path)) {
        if (!f.isEmpty() && !folded.startsWith(f + '\\'))
            continue;
        QString rest = k.name.mid(f.isEmpty() ? 0 : f.size() + 1);
        if (!rest.isEmpty() && !rest.contains('\\'))
            out << rest;
    }
    return out;
}

QStringList Store::valueNames(const QString& key) const
{
    QStringList out;
    Hive h = loadHive(m_path);
    auto it = h.find(fold(key));
    if (it != h.end())
        for (const auto& [name, v] : it->second.values)
            out << name;
    return out;
}

std::optional<Value> Store::query(const QString& key, const QString& name) const
{
    Hive h = loadHive(m_path);
    auto it = h.find(fold(key));
    if (it == h.end())
        return std::nullopt;
    for (const auto& [n, v] : it->second.values)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return std::nullopt;
}

std::optional<QString> Store::queryString(const QString& key, const QString& name) const
{
    auto v = query(key, name);
    if (!v || v->type != Type::String)
        return std::nullopt;
    return v->string;
}

std::optional<quint32> Store::queryDword(const QString& key, const QString& name) const
{
    auto v = query(key, name);
    if (!v || v->type != Type::Dword)
        return std::nullopt;
    return v->dword;
}

std::optional<QByteArray> Store::queryBinary(const QString& key, const QString& name) const
{
    auto v = query(key, name);
    if (!v || v->type != Type::Binary)
        return std::nullopt;
    return v->binary;
}

bool Store::set(const QString& key, const QString& name, const Value& value)
{
    if (!validKey(key))
        return false;
    return modify(m_path, [&](Hive& h) {
        ensureParents(h, key);
        Key& k = h[fold(key)];
        for (auto& [n, v] : k.values) {
            if (n.compare(name, Qt::CaseInsensitive) == 0) {
                v = value;
                return true;
            }
        }
        k.values.emplace_back(name, value);
        return true;
    });
}

bool Store::setValues(const QString& key, const std::vector<std::pair<QString, Value>>& values,
                      const QStringList& removed)
{
    if (!validKey(key))
        return false;
    return modify(m_path, [&](Hive& h) {
        ensureParents(h, key);
        auto& vals = h[fold(key)].values;
        for (const QString& name : removed)
            std::erase_if(vals, [&](const auto& v) { return v.first.compare(name, Qt::CaseInsensitive) == 0; });
        for (const auto& change : values) {
            auto it = std::find_if(vals.begin(), vals.end(), [&](const auto& v) {
                return v.first.compare(change.first, Qt::CaseInsensitive) == 0;
            });
            if (it != vals.end())
                it->second = change.second;
            else
                vals.emplace_back(change);
        }
        return true;
    });
}

bool Store::setString(const QString& key, const QString& name, const QString& value)
{
    Value v;
    v.type = Type::String;
    v.string = value;
    return set(key, name, v);
}

bool Store::setDword(const QString& key, const QString& name, quint32 value)
{
    Value v;
    v.type = Type::Dword;
    v.dword = value;
    return set(key, name, v);
}

bool Store::setBinary(const QString& key, const QString& name, const QByteArray& value)
{
    Value v;
    v.type = Type::Binary;
    v.binary = value;
    return set(key, name, v);
}

bool Store::deleteValue(const QString& key, const QString& name)
{
    return modify(m_path, [&](Hive& h) {
        auto it = h.find(fold(key));
        if (it == h.end())
            return false;
        auto& vals = it->second.values;
        for (auto v = vals.begin(); v != vals.end(); ++v) {
            if (v->first.compare(name, Qt::CaseInsensitive) == 0) {
                vals.erase(v);
                return true;
            }
        }
        return false;
    });
}

Store& user()
{
    auto& s = userStore();
    if (!s)
        s = std::make_unique<Store>(defaultPath());
    return *s;
}

void setUserStorePath(const QString& path)
{
    userStore() = std::make_unique<Store>(path.isEmpty() ? defaultPath() : path);
}

std::optional<QString> queryString(const QString& key, const QString& name)
{
    return user().queryString(key, name);
}

std::optional<quint32> queryDword(const QString& key, const QString& name)
{
    return user().queryDword(key, name);
}

} // namespace registry
