#pragma once
// A translation of the user interface: one XML file of the language folder, read once at
// start-up. Its texts replace the built-in English ones through the one text lookup.
//
// The file: root element "Velmo" with one child "mui" (attribute "langid", the Windows
// locale number of its language) holding up to three groups:
//   <menugroup><menu id="0"> ... </menu></menugroup>   menus (0 is the main menu)
//   <dialoggroup><dialog id=".." name=".."> ... </dialog></dialoggroup>
//   <stringgroup> <item id=".." name=".."/> ... </stringgroup>
// In the main menu each item names a top-level popup by position and its items translate
// that popup: an id below 100 is a position inside the popup, any other a command id.
// In another menu an item's id is a command id.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace ui {

class Translation {
public:
    // Files larger than this or nested deeper are refused before they are parsed.
    static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;
    static constexpr int kMaxDepth = 32;

    // Parses the file's bytes; nullptr when they are not a translation (not XML, too large,
    // too deep, no Velmo/mui element).
    static std::unique_ptr<Translation> parse(const QByteArray& bytes);
    static std::unique_ptr<Translation> load(const QString& path);

    int languageId() const { return m_langId; }
    int codePage() const { return m_codePage; }

    // The translated texts, or a null QString when the file has none for that place.
    QString string(int id) const;
    // A command's text in the main menu (or, failing that, in any other menu).
    QString command(int id) const;
    // A popup caption: top-level popup `top`, or the entry at `sub` inside it.
    QString popup(int top, int sub = -1) const;
    // The text of command `id` in menu `menuId` (context menus), falling back to command().
    QString contextCommand(int menuId, int id) const;
    bool hasDialog(int dialogId) const { return m_dialogs.count(dialogId) != 0; }
    // A dialog's title (controlId 0) or a control's text. A dialog with an entry gives its
    // standard buttons (1 OK ... 11 Continue) the platform's captions unless it names them.
    QString dialog(int dialogId, int controlId) const;
    QString dialogTitle(int dialogId) const { return dialog(dialogId, 0); }

    // Counts, for checks and tests.
    int stringCount() const { return int(m_strings.size()); }

private:
    struct Dialog {
        QString title;
        bool hasTitle = false;
        std::map<int, QString> items;
    };
    int m_langId = 0;
    int m_codePage = 0;
    std::map<int, QString> m_strings;
    std::map<int, QString> m_commands;            // main menu first, then other menus
    std::map<int, QString> m_popups;              // top * 1000 + (sub + 1)
    std::map<int, std::map<int, QString>> m_menus;   // menu id -> command id -> text
    std::map<int, Dialog> m_dialogs;
};

// The code page named by an XML declaration's encoding (case ignored): windows-1250 ...
// 1258, big5 950, gb2312 936, shift_jis 932, euc-kr 51949, tis-620 874, iso-8859-8 28598,
// utf-8 65001; 0 (the ANSI code page) for any other name.
int codePageForEncoding(const QString& encoding);
// Converts a text of the file with that code page and replaces the escapes "\n", "\t"
// and "\\"; a backslash before any other character stays as it is.
QString convertText(const QByteArray& bytes, int codePage);

// The caption the platform gives standard button `id` (1 OK, 2 Cancel, 3 Abort, 4 Retry,
// 5 Ignore, 6 Yes, 7 No, 8 Close, 9 Help, 10 Try Again, 11 Continue); null for others.
QString standardButtonText(int id);

// The Windows locale number of a POSIX locale name ("de_DE.UTF-8" -> 1031, "fr" -> 1036);
// 0 when unknown. "C" and "POSIX" count as US English.
int languageIdForLocale(const QString& localeName);
// The system's language: LC_ALL, else LC_MESSAGES, else LANG.
int systemLanguageId();

// The "*.xml" files of the language folder, sorted, names beginning with "." skipped.
QStringList translationFiles(const QString& languageFolder);
// The first translation file whose langid equals `languageId`; empty when none.
QString findTranslationFor(const QString& languageFolder, int languageId);

// The start-up rule: `setting` is [EDITOR] "MUI". Empty: choose by the system language
// (and report the choice in `chosen` so the caller writes it back). "Default" or a file
// that is missing or not a translation: nothing is translated (nullptr).
std::shared_ptr<const Translation> loadTranslation(const QString& languageFolder, const QString& setting,
                                                   int systemLanguage, QString* chosen = nullptr);

// Makes `t` the translation behind the text lookup (nullptr: the built-in texts).
void installTranslation(std::shared_ptr<const Translation> t);
std::shared_ptr<const Translation> installedTranslation();

} // namespace ui
