#include "app/commands/DocumentCommands.h"

#include "app/commands/BuildInfo.h"
#include "app/commands/CommandTable.h"
#include "platform/CodePage.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QDesktopServices>
#include <QDir>

namespace cmd {
namespace {

UrlOpener& opener()
{
    static UrlOpener o;
    return o;
}

// Characters, not bytes: a name of 1-259 characters between matching quotes after
// "#include" and blanks.
std::optional<QString> includeName(const QString& line)
{
    static const QLatin1String kInclude("#include");
    if (!line.startsWith(kInclude))
        return std::nullopt;
    qsizetype i = kInclude.size();
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
        ++i;
    if (i >= line.size())
        return std::nullopt;
    const QChar quote = line[i];
    if (quote != QLatin1Char('"') && quote != QLatin1Char('\''))
        return std::nullopt;
    const qsizetype close = line.indexOf(quote, i + 1);
    if (close < 0)
        return std::nullopt;
    const qsizetype length = close - i - 1;
    if (length < 1 || length > 259)
        return std::nullopt;
    return line.mid(i + 1, length);
}

} // namespace

QString decodeDocumentBytes(const QByteArray& bytes, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(bytes);
    return ansi::toUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

std::optional<QString> lookupWord(const QByteArray& selection, bool selectionOnOneLine,
                                  const QByteArray& wordAtCaret, bool utf8)
{
    if (!selection.isEmpty() && selectionOnOneLine && selection.size() < 256)
        return decodeDocumentBytes(selection, utf8);
    if (!wordAtCaret.isEmpty() && wordAtCaret.size() < 256)
        return decodeDocumentBytes(wordAtCaret, utf8);
    return std::nullopt;
}

std::optional<QString> selectedFileName(const QByteArray& selection, bool selectionOnOneLine,
                                        const QByteArray& currentLine, bool utf8)
{
    if (!selection.isEmpty()) {
        if (!selectionOnOneLine)
            return std::nullopt;
        const QString name = decodeDocumentBytes(selection, utf8);
        if (name.size() >= 260)
            return std::nullopt;
        return name;
    }
    QByteArray line = currentLine;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return includeName(decodeDocumentBytes(line, utf8));
}

QString resolveAgainstFolder(const QString& name, const QString& documentFolder)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A drive-qualified name ("C:...") and an absolute path are used as they are.
    if ((n.size() >= 2 && n[1] == QLatin1Char(':')) || n.startsWith(QLatin1Char('/')))
        return n;
    if (documentFolder.isEmpty())
        return n;
    return QDir(documentFolder).filePath(n);
}

std::optional<QString> fileToOpen(const QByteArray& selection, bool selectionOnOneLine,
                                  const QByteArray& currentLine, const QString& documentFolder, bool utf8)
{
    std::optional<QString> name = selectedFileName(selection, selectionOnOneLine, currentLine, utf8);
    if (!name || name->isEmpty())
        return std::nullopt;
    return resolveAgainstFolder(*name, documentFolder);
}

void setUrlOpener(UrlOpener o)
{
    opener() = std::move(o);
}

bool openUrl(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

QUrl helpLookupUrl(const QString& commandText, const QString& word)
{
    const QString command = commandText.trimmed();
    if (command.isEmpty())
        return {};
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(word));
    static const QLatin1String kWord("$(WORD)");
    QString text = command;
    if (text.contains(kWord))
        text.replace(kWord, encoded);
    else
        text += encoded;
    // A plain path opens as a local file.
    QUrl url = QUrl::fromUserInput(text);
    return url;
}

bool runHelpLookup(QWidget* parent, const QString& commandText, const QString& word)
{
    const QUrl url = helpLookupUrl(commandText, word);
    if (url.isValid() && openUrl(url))
        return true;
    seams::message(parent, texts::str(59213, "Cannot register vshelp.dll"), QString(), seams::MB_OK);
    return false;
}

QString webPageAddress(int id)
{
    switch (id) {
    case HelpContents: return QStringLiteral(VELMO_URL_CONTENTS);
    case HelpHomePage: return texts::str(1051, VELMO_URL_HOME);
    case HelpFeedback: return texts::str(1043, VELMO_URL_FEEDBACK);
    case HelpDonate: return QStringLiteral(VELMO_URL_DONATE);
    default: return {};
    }
}

bool openWebPage(int id)
{
    const QString address = webPageAddress(id);
    if (address.isEmpty())
        return false;
    // A failure to open is not reported.
    return openUrl(QUrl(address));
}

} // namespace cmd
