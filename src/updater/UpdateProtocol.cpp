#include "updater/UpdateProtocol.h"

#include <QNetworkInterface>
#include <QRegularExpression>

#include <climits>
#include <cmath>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#ifndef VELMO_UPDATE_SERVER_DEFAULT
#define VELMO_UPDATE_SERVER_DEFAULT "update.velmo.example:80"
#endif

namespace updater {

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine cl;
    for (const QString& a : args) {
        if (!a.isEmpty() && (a[0] == '-' || a[0] == '/' || a[0] == '\\')) {
            const QChar key = a.size() > 1 ? a[1].toUpper() : QChar();
            if (key == 'I') {
                // The number starts at the fifth character ("-id:12"); its leading digits
                // count, like a C conversion; nothing usable gives 0.
                const QString rest = a.mid(4);
                qsizetype n = 0;
                if (n < rest.size() && (rest[n] == '-' || rest[n] == '+'))
                    ++n;
                while (n < rest.size() && rest[n].isDigit() && rest[n].unicode() < 128)
                    ++n;
                bool ok = false;
                const int v = rest.left(n).toInt(&ok);
                cl.id = ok ? v : 0;
            } else if (key == 'S') {
                cl.silent = true;
            }
        } else {
            cl.target = a;
        }
    }
    return cl;
}

QString captionFor(const QString& target, const QString& updateWord)
{
    QString name = target;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name.truncate(dot);
    return updateWord + QStringLiteral(" - ") + name;
}

bool isNewer(const Version& latest, const Version& current)
{
    const auto& l = latest.part;
    const auto& c = current.part;
    if (l[0] != c[0] || l[1] != c[1])
        return l[0] > c[0] || (l[0] == c[0] && l[1] > c[1]);
    return l[2] > c[2] || (l[2] == c[2] && l[3] > c[3]);
}

Version parseVersionText(const QString& text)
{
    Version v;
    qsizetype i = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.')
                break;
            ++i;
        }
        const qsizetype start = i;
        uint64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = std::min<uint64_t>(value * 10 + uint64_t(text[i].unicode() - '0'), UINT32_MAX);
            ++i;
        }
        if (i == start)
            break;
        v.part[size_t(part)] = uint32_t(value);
    }
    return v;
}

Answer parseAnswer(const QByteArray& body)
{
    Answer a;
    const QByteArray used = body.left(AnswerLimit);
    auto takeLine = [&used](qsizetype& pos, bool* broken) {
        const qsizetype lf = used.indexOf('\n', pos);
        QByteArray line = lf < 0 ? used.mid(pos) : used.mid(pos, lf - pos);
        if (broken)
            *broken = lf >= 0;
        pos = lf < 0 ? used.size() : lf + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        return QString::fromLocal8Bit(line);
    };
    qsizetype pos = 0;
    a.installer = takeLine(pos, &a.hasLineBreak);
    if (!a.hasLineBreak)
        return a;
    const qsizetype underscore = a.installer.indexOf('_');
    a.hasUnderscore = underscore >= 0;
    if (a.hasUnderscore)
        a.latest = parseVersionText(a.installer.mid(underscore + 1));
    a.servers = takeLine(pos, nullptr).split('|');
    // Line ends become LF; CRs piled up before an LF (text converted twice) go with it,
    // so that no CR LF is left behind.
    static const QRegularExpression lineEnd(QStringLiteral("\r+\n"));
    a.notes = QString::fromLocal8Bit(used.mid(pos)).replace(lineEnd, QStringLiteral("\n"));
    return a;
}

bool isPlainFileName(const QString& name)
{
    // A leading ':' would make the name a resource path to Qt's file classes, never a file
    // in the temporary folder.
    if (name.isEmpty() || name.startsWith('.') || name.startsWith(':') || name.size() > 255)
        return false;
    for (QChar c : name)
        if (c == '/' || c == '\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return name.toUtf8().size() <= 255;
}

QByteArray requestPath(int id, const QString& mac, const QString& cpuid)
{
    return QByteArray("/version.asp?id=") + QByteArray::number(id) + "&mac=" + mac.toLatin1()
           + "&cpuid=" + cpuid.toLatin1();
}

QByteArray requestText(const QString& host, int port, const QByteArray& path)
{
    const QByteArray h = host.toUtf8();
    const QByteArray hostField = port == 80 ? h : h + ':' + QByteArray::number(port);
    return "GET " + path + " HTTP/1.0\r\n"
           "Accept: */*\r\n"
           "User-Agent: " + h + "\r\n"
           "Host: " + hostField + "\r\n"
           "Pragma: no-cache\r\n"
           "\r\n";
}

QString macText(const std::vector<Adapter>& adapters)
{
    for (const Adapter& a : adapters) {
        if (a.description.startsWith(QLatin1String("VMware")))
            continue;
        if (a.address.size() >= 4096)
            return {};
        return QString::fromLatin1(a.address.toHex().toUpper());
    }
    return {};
}

std::vector<Adapter> machineAdapters()
{
    std::vector<Adapter> out;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if (i.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        QByteArray bytes;
        for (const QString& pair : i.hardwareAddress().split(':', Qt::SkipEmptyParts))
            bytes.append(char(pair.toUInt(nullptr, 16)));
        if (bytes.isEmpty())
            continue;
        out.push_back({i.humanReadableName(), bytes});
    }
    return out;
}

QString cpuidText(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx)
{
    if ((eax & 0xFFFF) == 0)
        return {};
    uint8_t bytes[32] = {};
    const uint32_t regs[4] = {eax, ebx, ecx, edx};
    for (int r = 0; r < 4; ++r)
        for (int b = 0; b < 4; ++b)
            bytes[r * 4 + b] = uint8_t(regs[r] >> (8 * b));
    QString out;
    for (int w = 0; w < 16; ++w) {
        const unsigned word = unsigned(bytes[2 * w]) | (unsigned(bytes[2 * w + 1]) << 8);
        out += QString::asprintf("%02X", word).left(2);
    }
    return out;
}

QString machineCpuid()
{
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx))
        return {};
    return cpuidText(eax, ebx, ecx, edx);
#else
    return {};
#endif
}

int progressPercent(qint64 done, qint64 total)
{
    if (total <= 0 || done <= 0)
        return 0;
    const long double exact = (long double)done * 100.0L / (long double)total;
    const long long rounded = std::llround(exact);
    return int(std::clamp<long long>(rounded, 0, 90));
}

ServerAddress parseServerAddress(const QString& text)
{
    ServerAddress s;
    QString t = text.trimmed();
    // A port follows the last colon, unless that colon is part of a bare IPv6 address.
    const qsizetype colon = t.lastIndexOf(':');
    const qsizetype bracket = t.lastIndexOf(']');
    if (colon > 0 && colon > bracket && (bracket >= 0 || t.indexOf(':') == colon)) {
        bool ok = false;
        const int port = t.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port < 65536)
            s.port = port;
        t.truncate(colon);
    }
    if (t.startsWith('[') && t.endsWith(']'))
        t = t.mid(1, t.size() - 2);
    s.host = t;
    return s;
}

ServerAddress updateServer()
{
    const QByteArray env = qgetenv("VELMO_UPDATE_SERVER");
    return parseServerAddress(env.isEmpty() ? QString::fromUtf8(VELMO_UPDATE_SERVER_DEFAULT) : QString::fromUtf8(env));
}

} // namespace updater
