#include "language/LanguageTable.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Texts.h"

#include <QFile>
#include <QFileInfo>

namespace lang {

bool PathMatchSpec(std::string_view fileName, std::string_view patternList) {
    return paths::matchSpec(ansi::toUnicode(fileName), ansi::toUnicode(patternList));
}

} // namespace lang

std::string LanguageEntry::FirstPattern() const { return patterns.substr(0, patterns.find(';')); }

LanguageTable::LanguageTable() {
    baseProps_.Assign("PLAT_WIN", "1");
    langProps_.SetParent(&baseProps_);
    BuildLanguageList();
}

LanguageTable::~LanguageTable() = default;

bool LanguageTable::Load(const QString& propertiesFolder) {
    langProps_.Clear();
    QString mainFile = propertiesFolder;
    if (!mainFile.endsWith('/'))
        mainFile += '/';
    mainFile += QStringLiteral("root.properties");
    QByteArray path = QFile::encodeName(mainFile);
    QByteArray folder = QFile::encodeName(QFileInfo(mainFile).absolutePath());
    bool opened = langProps_.LoadFile(path.toStdString(), folder.toStdString());
    BuildLanguageList();
    return opened;
}

void LanguageTable::BuildLanguageList() {
    entries_.clear();
    std::string menu = langProps_.LookupForFileExpanded("menu.language", "");
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t bar = menu.find('|'); bar != std::string::npos; bar = menu.find('|', start)) {
        fields.push_back(menu.substr(start, bar - start));
        start = bar + 1;
    }
    for (size_t pair = 0; pair + 1 < fields.size(); pair += 2) {
        const std::string& name = fields[pair];
        const std::string& ext = fields[pair + 1];
        if (!name.empty() && name.front() == '#')
            continue;
        std::string patterns = (!ext.empty() && ext.front() == '*')
            ? ext : langProps_.LookupForFileExpanded("file.patterns.", ext);
        if (patterns.empty())
            continue;
        if (int(entries_.size()) >= kMaxLanguages)
            break;   // commands end at 781
        LanguageEntry entry;
        entry.name = name;
        entry.patterns = patterns;
        entry.lexer = langProps_.LookupForFileExpanded("lexer.", entry.FirstPattern());
        entries_.push_back(std::move(entry));
    }
    if (entries_.empty()) {
        // Index 0 is every document's fallback, so there is always one language.
        LanguageEntry text;
        text.name = ansi::fromUnicode(texts::menu(kFirstLanguageCommand, "Text")).toStdString();
        text.patterns.assign(1, '*');
        entries_.push_back(std::move(text));
    }
}

const LanguageEntry& LanguageTable::Entry(int index) const {
    if (index < 0 || index >= Count())
        index = 0;
    return entries_[size_t(index)];
}

int LanguageTable::FindLanguage(const QString& path) const {
    QString name = path.mid(path.lastIndexOf('/') + 1);
    QByteArray bytes = ansi::fromUnicode(name);
    std::string_view view(bytes.constData(), size_t(bytes.size()));
    for (int i = 0; i < Count(); ++i)
        if (lang::PathMatchSpec(view, entries_[size_t(i)].patterns))
            return i;
    return 0;
}

std::string LanguageTable::LookupName(int index, std::string_view fileName) const {
    if (!fileName.empty())
        return std::string(fileName);
    return Entry(index).FirstPattern().substr(0, kMaxLookupName);
}

std::vector<LanguageTable::MenuItem> LanguageTable::MenuItems() const {
    std::vector<MenuItem> items;
    items.reserve(entries_.size());
    for (int i = 0; i < Count(); ++i)
        items.push_back({CommandForIndex(i), ansi::toUnicode(entries_[size_t(i)].name)});
    return items;
}

int LanguageTable::IndexForCommand(int command) const {
    if (command == kHexCommand)
        return -1;
    int index = command - kFirstLanguageCommand;
    return (index >= 0 && index < Count()) ? index : -2;
}
