#include "ui/Translation.h"

#include "platform/CodePage.h"
#include "platform/Texts.h"
#include "platform/XmlProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace ui {
namespace {

// An element's integer attribute; -1 when it has none or it is not a number.
int idOf(const TiXmlElement* e, const char* attribute = "id")
{
    const char* v = e->Attribute(attribute);
    if (!v)
        return -1;
    bool ok = false;
    const int n = QByteArray(v).trimmed().toInt(&ok, 10);
    return ok ? n : -1;
}

bool nameOf(const TiXmlElement* e, int codePage, QString& out)
{
    const char* v = e->Attribute("name");
    if (!v)
        return false;
    out = convertText(QByteArray(v), codePage);
    return true;
}

std::mutex g_lock;
std::shared_ptr<const Translation> g_installed;

} // namespace

int codePageForEncoding(const QString& encoding)
{
    const QString e = encoding.trimmed().toLower();
    if (e.startsWith(QLatin1String("windows-125")) && e.size() == 12) {
        const QChar d = e.at(11);
        if (d >= QLatin1Char('0') && d <= QLatin1Char('8'))
            return 1250 + (d.unicode() - '0');
    }
    static const struct {
        const char* name;
        int cp;
    } table[] = {{"big5", 950},     {"gb2312", 936},  {"shift_jis", 932},     {"euc-kr", 51949},
                 {"tis-620", 874},  {"iso-8859-8", 28598}, {"utf-8", 65001}};
    for (const auto& t : table)
        if (e == QLatin1String(t.name))
            return t.cp;
    return 0;
}

QString convertText(const QByteArray& bytes, int codePage)
{
    QString text;
    const char* decoderName = nullptr;
    switch (codePage) {
    case 65001: text = QString::fromUtf8(bytes); break;
    case 950: decoderName = "Big5"; break;
    case 936: decoderName = "GBK"; break;
    case 932: decoderName = "Shift_JIS"; break;
    case 51949: decoderName = "EUC-KR"; break;
    case 28598: decoderName = "ISO-8859-8"; break;
    case 874: decoderName = "windows-874"; break;
    default:
        if (codePage >= 1250 && codePage <= 1258) {
            static const char* names[] = {"windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
                                          "windows-1255", "windows-1256", "windows-1257", "windows-1258"};
            decoderName = names[codePage - 1250];
        } else {
            text = ansi::toUnicode(std::string_view(bytes.constData(), size_t(bytes.size())));
        }
        break;
    }
    if (decoderName) {
        QStringDecoder decoder(decoderName);
        text = decoder.isValid() ? decoder.decode(bytes)
                                 : ansi::toUnicode(std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    // Escapes: \n line feed, \t tab, \\ one backslash; any other backslash stays.
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar n = text.at(i + 1);
            if (n == QLatin1Char('n')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (n == QLatin1Char('t')) {
                out += QLatin1Char('\t');
                ++i;
                continue;
            }
            if (n == QLatin1Char('\\')) {
                out += QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString standardButtonText(int id)
{
    // The platform's own captions (translated when a Qt translation is loaded).
    static const char* const captions[] = {"OK",   "Cancel", "Abort", "Retry",     "Ignore",  "Yes",
                                           "No",   "Close",  "Help",  "Try Again", "Continue"};
    if (id < 1 || id > 11)
        return {};
    return QCoreApplication::translate("QPlatformTheme", captions[id - 1]);
}

std::unique_ptr<Translation> Translation::parse(const QByteArray& raw)
{
    if (raw.isEmpty() || raw.size() > kMaxFileSize)
        return nullptr;
    QByteArray bytes = raw;
    bool bom = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        bom = true;
    }
    if (bytes.contains('\0') || xmlprobe::nestingDepth(bytes) > kMaxDepth)
        return nullptr;

    // Bytes are taken as they are; the declared code page converts them afterwards.
    TiXmlDocument doc;
    doc.Parse(bytes.constData(), nullptr, TIXML_ENCODING_LEGACY);
    if (doc.Error())
        return nullptr;
    const TiXmlElement* root = doc.FirstChildElement("Velmo");
    const TiXmlElement* mui = root ? root->FirstChildElement("mui") : nullptr;
    if (!mui)
        return nullptr;

    auto t = std::unique_ptr<Translation>(new Translation);
    int cp = bom ? 65001 : 0;
    for (const TiXmlNode* n = doc.FirstChild(); n; n = n->NextSibling())
        if (const TiXmlDeclaration* d = n->ToDeclaration()) {
            if (d->Encoding() && *d->Encoding())
                cp = codePageForEncoding(QString::fromLatin1(d->Encoding()));
            break;
        }
    t->m_codePage = cp;
    t->m_langId = idOf(mui, "langid");

    QString text;
    if (const TiXmlElement* menus = mui->FirstChildElement("menugroup")) {
        for (const TiXmlElement* menu = menus->FirstChildElement("menu"); menu; menu = menu->NextSiblingElement("menu")) {
            const int menuId = idOf(menu);
            if (menuId < 0)
                continue;
            if (menuId == 0) {
                for (const TiXmlElement* top = menu->FirstChildElement("item"); top; top = top->NextSiblingElement("item")) {
                    const int pos = idOf(top);
                    if (pos < 0 || pos >= 1000)
                        continue;
                    if (nameOf(top, cp, text))
                        t->m_popups[pos * 1000] = text;
                    for (const TiXmlElement* it = top->FirstChildElement("item"); it; it = it->NextSiblingElement("item")) {
                        const int id = idOf(it);
                        if (id < 0 || !nameOf(it, cp, text))
                            continue;
                        if (id < 100)
                            t->m_popups[pos * 1000 + id + 1] = text;
                        else
                            t->m_commands.emplace(id, text);   // the first entry of a command wins
                    }
                }
            } else {
                auto& entries = t->m_menus[menuId];
                for (const TiXmlElement* it = menu->FirstChildElement("item"); it; it = it->NextSiblingElement("item")) {
                    const int id = idOf(it);
                    if (id >= 0 && nameOf(it, cp, text))
                        entries.emplace(id, text);
                }
            }
        }
    }
    // Commands that the main menu does not hold take their text from another menu.
    for (const auto& [menuId, entries] : t->m_menus)
        for (const auto& [id, name] : entries)
            t->m_commands.emplace(id, name);

    if (const TiXmlElement* dialogs = mui->FirstChildElement("dialoggroup")) {
        for (const TiXmlElement* d = dialogs->FirstChildElement("dialog"); d; d = d->NextSiblingElement("dialog")) {
            const int id = idOf(d);
            if (id < 0)
                continue;
            Dialog& dlg = t->m_dialogs[id];
            if (nameOf(d, cp, text)) {
                dlg.title = text;
                dlg.hasTitle = true;
            }
            for (const TiXmlElement* it = d->FirstChildElement("item"); it; it = it->NextSiblingElement("item")) {
                const int c = idOf(it);
                if (c > 0 && nameOf(it, cp, text))
                    dlg.items.emplace(c, text);
            }
        }
    }
    if (const TiXmlElement* strings = mui->FirstChildElement("stringgroup")) {
        for (const TiXmlElement* it = strings->FirstChildElement("item"); it; it = it->NextSiblingElement("item")) {
            const int id = idOf(it);
            if (id >= 0 && nameOf(it, cp, text))
                t->m_strings.emplace(id, text);
        }
    }
    return t;
}

std::unique_ptr<Translation> Translation::load(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize)
        return nullptr;
    return parse(f.read(kMaxFileSize + 1));
}

QString Translation::string(int id) const
{
    auto it = m_strings.find(id);
    return it == m_strings.end() ? QString() : it->second;
}

QString Translation::command(int id) const
{
    auto it = m_commands.find(id);
    return it == m_commands.end() ? QString() : it->second;
}

QString Translation::popup(int top, int sub) const
{
    if (top < 0 || top >= 1000 || sub >= 99)
        return {};
    auto it = m_popups.find(top * 1000 + (sub < 0 ? 0 : sub + 1));
    return it == m_popups.end() ? QString() : it->second;
}

QString Translation::contextCommand(int menuId, int id) const
{
    auto m = m_menus.find(menuId);
    if (m != m_menus.end()) {
        auto it = m->second.find(id);
        if (it != m->second.end())
            return it->second;
    }
    return command(id);
}

QString Translation::dialog(int dialogId, int controlId) const
{
    auto d = m_dialogs.find(dialogId);
    if (d == m_dialogs.end())
        return {};
    if (controlId == 0)
        return d->second.hasTitle ? d->second.title : QString();
    auto it = d->second.items.find(controlId);
    if (it != d->second.items.end())
        return it->second;
    return standardButtonText(controlId);
}

// ------------------------------------------------------------------------------------

int languageIdForLocale(const QString& localeName)
{
    QString name = localeName.trimmed();
    const qsizetype cut = std::min(name.indexOf(QLatin1Char('.')) < 0 ? name.size() : name.indexOf(QLatin1Char('.')),
                                   name.indexOf(QLatin1Char('@')) < 0 ? name.size() : name.indexOf(QLatin1Char('@')));
    name = name.left(cut);
    if (name.isEmpty())
        return 0;
    if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return 1033;
    const QString lang = name.section(QLatin1Char('_'), 0, 0).toLower();
    const QString region = name.section(QLatin1Char('_'), 1, 1).toUpper();
    struct Entry {
        const char* lang;
        const char* region;   // "" for the language's main variant
        int id;
    };
    static const Entry table[] = {
        {"ar", "SA", 1025}, {"ar", "", 1025},   {"bg", "", 1026},   {"ca", "", 1027},   {"zh", "TW", 1028},
        {"zh", "HK", 3076}, {"zh", "SG", 4100}, {"zh", "CN", 2052}, {"zh", "", 2052},   {"cs", "", 1029},
        {"da", "", 1030},   {"de", "AT", 3079}, {"de", "CH", 2055}, {"de", "LU", 4103}, {"de", "LI", 5127},
        {"de", "", 1031},   {"el", "", 1032},   {"en", "GB", 2057}, {"en", "AU", 3081}, {"en", "CA", 4105},
        {"en", "NZ", 5129}, {"en", "IE", 6153}, {"en", "ZA", 7177}, {"en", "IN", 16393}, {"en", "", 1033},
        {"es", "MX", 2058}, {"es", "AR", 11274}, {"es", "", 3082},  {"fi", "", 1035},   {"fr", "BE", 2060},
        {"fr", "CA", 3084}, {"fr", "CH", 4108}, {"fr", "LU", 5132}, {"fr", "", 1036},   {"he", "", 1037},
        {"hu", "", 1038},   {"is", "", 1039},   {"it", "CH", 2064}, {"it", "", 1040},   {"ja", "", 1041},
        {"ko", "", 1042},   {"nl", "BE", 2067}, {"nl", "", 1043},   {"nb", "", 1044},   {"no", "", 1044},
        {"nn", "", 2068},   {"pl", "", 1045},   {"pt", "PT", 2070}, {"pt", "", 1046},   {"ro", "", 1048},
        {"ru", "", 1049},   {"hr", "", 1050},   {"sk", "", 1051},   {"sq", "", 1052},   {"sv", "FI", 2077},
        {"sv", "", 1053},   {"th", "", 1054},   {"tr", "", 1055},   {"id", "", 1057},   {"uk", "", 1058},
        {"be", "", 1059},   {"sl", "", 1060},   {"et", "", 1061},   {"lv", "", 1062},   {"lt", "", 1063},
        {"fa", "", 1065},   {"vi", "", 1066},   {"hy", "", 1067},   {"eu", "", 1069},   {"mk", "", 1071},
        {"af", "", 1078},   {"ka", "", 1079},   {"hi", "", 1081},   {"ms", "", 1086},   {"kk", "", 1087},
        {"sw", "", 1089},   {"gl", "", 1110},   {"sr", "", 3098},
    };
    for (const Entry& e : table)
        if (lang == QLatin1String(e.lang) && *e.region && region == QLatin1String(e.region))
            return e.id;
    for (const Entry& e : table)
        if (lang == QLatin1String(e.lang) && !*e.region)
            return e.id;
    return 0;
}

int systemLanguageId()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty())
            return languageIdForLocale(v);
    }
    return 1033;
}

QStringList translationFiles(const QString& languageFolder)
{
    QDir dir(languageFolder);
    QStringList names = dir.entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.startsWith(QLatin1Char('.')); }),
                names.end());
    return names;
}

QString findTranslationFor(const QString& languageFolder, int languageId)
{
    if (languageId <= 0)
        return {};
    for (const QString& name : translationFiles(languageFolder)) {
        auto t = Translation::load(QDir(languageFolder).filePath(name));
        if (t && t->languageId() == languageId)
            return name;
    }
    return {};
}

std::shared_ptr<const Translation> loadTranslation(const QString& languageFolder, const QString& setting,
                                                   int systemLanguage, QString* chosen)
{
    QString value = setting;
    if (value.isEmpty()) {
        value = findTranslationFor(languageFolder, systemLanguage);
        if (value.isEmpty())
            return nullptr;   // "Default", and nothing is written
        if (chosen)
            *chosen = value;
    }
    if (value.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
        return nullptr;
    // A plain file name of the language folder: no way out of it.
    if (value.contains(QLatin1Char('/')) || value == QLatin1String("..") || value == QLatin1String("."))
        return nullptr;
    return std::shared_ptr<const Translation>(Translation::load(QDir(languageFolder).filePath(value)));
}

void installTranslation(std::shared_ptr<const Translation> t)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_installed = t;
    }
    if (!t) {
        texts::setProvider(nullptr);
        return;
    }
    texts::setProvider([t](texts::Kind kind, int id) -> QString {
        switch (kind) {
        case texts::Kind::String: return t->string(id);
        case texts::Kind::Menu:
            if (id >= 0)
                return t->command(id);
            // Popup captions: -(p + 1) for top-level popup p, -((p + 1) * 100 + q) inside it.
            if (id > -100)
                return t->popup(-id - 1);
            return t->popup(-id / 100 - 1, -id % 100);
        case texts::Kind::ContextMenu: return t->contextCommand(id / 65536, id % 65536);
        case texts::Kind::Dialog: return t->dialog(id / 65536, id % 65536);
        }
        return QString();
    });
}

std::shared_ptr<const Translation> installedTranslation()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_installed;
}

} // namespace ui
