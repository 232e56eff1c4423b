#pragma once
// The update client's protocol: its command line, the request it sends, the answer it
// reads and the rules that turn them into a decision. Nothing here touches the network.
#include "updater/VersionRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace updater {

struct CommandLine {
    int id = -1;          // from "-id:n"; -1 when absent
    bool silent = false;  // "-s": the "up to date" and "cannot connect" messages are not shown
    QString target;       // the program to check, looked up beside the update client
};

// Arguments starting with "-", "/" or "\" are switches known by their second character:
// "I" ("-id:" and a decimal number from the fifth character), "S"; others are ignored.
// Any other argument is the target; the last one wins. `args` excludes the program name.
CommandLine parseCommandLine(const QStringList& args);

// "Update - velmo": the word for "Update", " - " and the target's name cut at its last
// period.
QString captionFor(const QString& target, const QString& updateWord = QStringLiteral("Update"));

// The latest version is newer when its (major, minor) pair is greater, or the pairs are
// equal and its (build, revision) pair is greater.
bool isNewer(const Version& latest, const Version& current);

// The server's answer (only its first 512 bytes count).
constexpr int AnswerLimit = 512;
struct Answer {
    bool hasLineBreak = false;
    QString installer;        // line 1
    bool hasUnderscore = false;
    Version latest;           // the four numbers after the installer name's first underscore
    QStringList servers;      // line 2 split at "|"; an empty line gives one empty entry
    QString notes;            // the rest, with LF line ends
};
Answer parseAnswer(const QByteArray& body);

// Four decimal numbers separated by periods; 0 where absent. Parsing stops at the first
// character that does not continue the pattern.
Version parseVersionText(const QString& text);

// An installer name the client may write into the temporary folder: a plain file name,
// without "/", "\", control characters, a leading period or the names "." and "..".
bool isPlainFileName(const QString& name);

// "/version.asp?id=%d&mac=%s&cpuid=%s"
QByteArray requestPath(int id, const QString& mac, const QString& cpuid);
// The whole HTTP/1.0 request for that path: the host's name as the agent, any type
// accepted, and no cached answer.
QByteArray requestText(const QString& host, int port, const QByteArray& path);

// A network adapter as the client sees it.
struct Adapter {
    QString description;
    QByteArray address;
};
// The hardware address of the first adapter not described as "VMware...", as upper-case
// hexadecimal pairs without separators; empty without adapters or for an address of 4096
// bytes or more.
QString macText(const std::vector<Adapter>& adapters);
// The adapters of this machine that have a hardware address, loopback left out.
std::vector<Adapter> machineAdapters();

// The processor identification (function 0: EAX, EBX, ECX, EDX) as 32 characters: the
// 16 bytes and 16 zero bytes as sixteen little-endian 16-bit words, each written "%02X"
// and cut to its first two characters. Empty when the low 16 bits of EAX are zero.
QString cpuidText(uint32_t eax, uint32_t ebx, uint32_t ecx, uint32_t edx);
// The same for this processor; empty where the instruction does not exist.
QString machineCpuid();

// The progress shown while downloading: done * 100 / total rounded to nearest, kept
// within 0 to 90 until the download has completed.
int progressPercent(qint64 done, qint64 total);

// The update server, "host:port": VELMO_UPDATE_SERVER when set, else the build's setting.
struct ServerAddress {
    QString host;
    int port = 80;
};
ServerAddress updateServer();
// Parses "host" or "host:port"; port 80 when absent or malformed.
ServerAddress parseServerAddress(const QString& text);

} // namespace updater
