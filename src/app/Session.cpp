#include "app/Session.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/XmlProbe.h"

#include <QFile>
#include <QStringDecoder>
#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>

namespace session {
namespace {

const char* const kRoot = "Velmo";
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
constexpr int kMaxDepth = 64;

// Paths are file-system names: bytes in the system's encoding for file names. A name that
// is not valid UTF-8 (written by another tool) is read as the ANSI code page's bytes.
std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString pathFromBytes(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString path = utf8(QByteArray::fromStdString(bytes));
    if (utf8.hasError())
        return ansi::toUnicode(bytes);
    return path;
}

// Some TinyXML builds copy "&#x..;" through unescaped, so that a name holding such text
// would come back as the character it spells. There its "&" is written as "&#x26;".
bool encoderPassesHexReferences()
{
    static const bool passes = [] {
        std::string out;
        TiXmlBase::EncodeString("&#x41;", &out);
        return out == "&#x41;";
    }();
    return passes;
}

std::string protectedText(std::string text)
{
    if (!encoderPassesHexReferences())
        return text;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "&#x") == 0)
            out += "&#x26;";
        else
            out += text[i];
    }
    return out;
}

std::optional<long> intAttribute(const TiXmlElement* e, const char* name)
{
    int v = 0;
    if (e->QueryIntAttribute(name, &v) != TIXML_SUCCESS)
        return std::nullopt;
    return long(v);
}

// TinyXML's white-space setting is global: text is read exactly while a session is parsed,
// so that blanks in a name survive.
struct KeepWhiteSpace {
    bool was = TiXmlBase::IsWhiteSpaceCondensed();
    KeepWhiteSpace() { TiXmlBase::SetCondenseWhiteSpace(false); }
    ~KeepWhiteSpace() { TiXmlBase::SetCondenseWhiteSpace(was); }
};

} // namespace

QByteArray toBytes(const Session& s)
{
    TiXmlDocument doc;
    auto* root = new TiXmlElement(kRoot);
    doc.LinkEndChild(root);
    auto* sessionElement = new TiXmlElement("session");
    root->LinkEndChild(sessionElement);
    sessionElement->SetAttribute("index", s.index);
    for (const FileEntry& f : s.files) {
        auto* file = new TiXmlElement("file");
        if (f.textView) {
            file->SetAttribute("firstVisibleLine", int(f.firstVisibleLine.value_or(0)));
            file->SetAttribute("xOffset", int(f.xOffset.value_or(0)));
            file->SetAttribute("startPos", int(f.startPos.value_or(0)));
            file->SetAttribute("endPos", int(f.endPos.value_or(0)));
        }
        file->LinkEndChild(new TiXmlText(protectedText(pathBytes(f.path))));
        if (f.textView) {
            for (long line : f.marks) {
                auto* mark = new TiXmlElement("Mark");
                mark->SetAttribute("line", int(line));
                file->LinkEndChild(mark);
            }
        }
        sessionElement->LinkEndChild(file);
    }
    // TinyXML's own file layout, printed into memory so the file can be written safely.
    char* buffer = nullptr;
    size_t size = 0;
    FILE* mem = ::open_memstream(&buffer, &size);
    if (!mem)
        return {};
    doc.SaveFile(mem);
    std::fclose(mem);
    QByteArray out(buffer, qsizetype(size));
    std::free(buffer);
    return out;
}

bool writeFile(const QString& path, const Session& s, QString* error)
{
    const QByteArray bytes = toBytes(s);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("out of memory");
        return false;
    }
    return atomicfile::write(path, bytes, error);
}

std::optional<Session> fromBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxFileSize || bytes.contains('\0') || xmlprobe::nestingDepth(bytes) > kMaxDepth)
        return std::nullopt;
    TiXmlDocument doc;
    {
        KeepWhiteSpace keep;
        doc.Parse(bytes.constData(), nullptr, TIXML_ENCODING_UNKNOWN);
    }
    if (doc.Error())
        return std::nullopt;
    const TiXmlElement* root = doc.RootElement();
    if (!root || root->ValueStr() != kRoot)
        return std::nullopt;
    const TiXmlElement* sessionElement = root->FirstChildElement("session");
    if (!sessionElement)
        return std::nullopt;
    Session s;
    s.index = int(intAttribute(sessionElement, "index").value_or(-1));
    for (const TiXmlElement* file = sessionElement->FirstChildElement("file"); file;
         file = file->NextSiblingElement("file")) {
        FileEntry f;
        if (const TiXmlNode* first = file->FirstChild(); first && first->ToText()) {
            std::string text = first->ValueStr();
            // Before "Mark" elements the printer ends the text with a line break and the
            // next line's indentation; a name's own line breaks are written as references.
            if (first->NextSibling()) {
                const size_t brk = text.find_last_of('\n');
                if (brk != std::string::npos && text.find_first_not_of(" \t", brk + 1) == std::string::npos)
                    text.erase(brk);
            }
            f.path = pathFromBytes(text);
        }
        f.firstVisibleLine = intAttribute(file, "firstVisibleLine");
        f.xOffset = intAttribute(file, "xOffset");
        f.startPos = intAttribute(file, "startPos");
        f.endPos = intAttribute(file, "endPos");
        for (const TiXmlElement* mark = file->FirstChildElement("Mark"); mark; mark = mark->NextSiblingElement("Mark"))
            if (auto line = intAttribute(mark, "line"); line && *line >= 0)
                f.marks.push_back(*line);
        s.files.push_back(std::move(f));
    }
    return s;
}

std::optional<Session> readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize)
        return std::nullopt;
    return fromBytes(f.read(kMaxFileSize + 1));
}

} // namespace session
