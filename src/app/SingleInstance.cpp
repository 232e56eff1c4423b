#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray kMagic = "VLMO";
const char kAnswer = 'A';
const char kRefusal = 'R';
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder.isEmpty() ? runtimeFolder() : folder)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::runtimeFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder;
    if (!base.isEmpty() && QFileInfo(base).isDir())
        folder = base + QStringLiteral("/velmo");
    else
        folder = QStringLiteral("/tmp/velmo-%1").arg(::getuid());
    const QByteArray f = QFile::encodeName(folder);
    ::mkdir(f.constData(), 0700);
    // A folder that another user owns (or that is no folder) is not ours to use.
    struct stat st {};
    if (::lstat(f.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return QString();
    if ((st.st_mode & 077) != 0)
        ::chmod(f.constData(), 0700);
    return folder;
}

QString SingleInstance::socketPath() const
{
    return m_folder.isEmpty() ? QString() : m_folder + QStringLiteral("/VelmoClass");
}

bool SingleInstance::acquire()
{
    if (m_lockFd >= 0)
        return true;
    if (m_folder.isEmpty())
        return true;   // no private folder: behave as a lone instance
    const QByteArray path = QFile::encodeName(m_folder + QStringLiteral("/velmomutext.lock"));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;   // kept for the life of the process
    return true;
}

QByteArray SingleInstance::encode(const QString& directory, const QString& commandLine)
{
    QByteArray body;
    if (!commandLine.isEmpty()) {
        body = directory.toUtf8();
        body.append('\0');
        body.append(commandLine.toUtf8());
        body.append('\0');
    }
    QByteArray msg = kMagic;
    quint32 len = qToBigEndian(quint32(body.size()));
    msg.append(reinterpret_cast<const char*>(&len), 4);
    msg.append(body);
    return msg;
}

bool SingleInstance::decode(const QByteArray& body, QString& directory, QString& commandLine)
{
    directory.clear();
    commandLine.clear();
    if (body.isEmpty())
        return true;
    if (body.size() > kMaxHandOver || !body.endsWith('\0'))
        return false;
    const qsizetype first = body.indexOf('\0');
    if (first < 0 || first == body.size() - 1 || body.indexOf('\0', first + 1) != body.size() - 1)
        return false;
    QByteArray dir = body.left(first), line = body.mid(first + 1, body.size() - first - 2);
    auto valid = [](const QByteArray& b) {
        QString s = QString::fromUtf8(b);
        return s.toUtf8() == b;
    };
    if (!valid(dir) || !valid(line) || line.isEmpty() || dir.size() > 4096)
        return false;
    directory = QString::fromUtf8(dir);
    commandLine = QString::fromUtf8(line);
    return true;
}

bool SingleInstance::handOver(const QString& directory, const QString& commandLine, int timeoutMs)
{
    if (socketPath().isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encode(directory, commandLine));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The hand-over is synchronous: wait until the first instance has handled it.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char answer = 0;
    socket.read(&answer, 1);
    return answer == kAnswer;
}

bool SingleInstance::listen()
{
    if (socketPath().isEmpty() || m_lockFd < 0)
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath());   // left over from an instance that died
    if (!m_server->listen(socketPath()))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return true;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QPointer<QLocalSocket> guard(socket);
        // A client that never finishes its message is dropped.
        QTimer::singleShot(10000, socket, [guard] {
            if (guard)
                guard->abort();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() < 8)
                return;
            if (!buffer->startsWith(kMagic)) {
                socket->abort();
                return;
            }
            quint32 len = qFromBigEndian<quint32>(buffer->constData() + 4);
            if (len > quint32(kMaxHandOver)) {
                socket->abort();
                return;
            }
            if (buffer->size() < 8 + qsizetype(len))
                return;
            QString dir, line;
            const bool ok = decode(buffer->mid(8, len), dir, line);
            buffer->clear();
            const bool accepted = ok && (!m_acceptor || m_acceptor());
            // The second start gets its answer at once; the files are opened afterwards
            // from a queued call, which may show message boxes and so run event loops
            // during which this socket can go away.
            socket->write(accepted ? &kAnswer : &kRefusal, 1);
            socket->flush();
            socket->disconnectFromServer();
            if (accepted)
                QMetaObject::invokeMethod(this, [this, dir, line] { emit handOverReceived(dir, line); },
                                          Qt::QueuedConnection);
        });
    }
}
