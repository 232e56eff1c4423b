#include "updater/Network.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>

namespace updater {

namespace {

bool connectTo(QTcpSocket& socket, const ServerAddress& server, int timeoutMs)
{
    socket.connectToHost(server.host, quint16(server.port));
    return socket.waitForConnected(timeoutMs);
}

// Splits an HTTP answer into its status and body once the headers are complete; false
// while more is needed.
bool headerEnd(const QByteArray& data, qsizetype* bodyStart)
{
    qsizetype end = data.indexOf("\r\n\r\n");
    if (end >= 0) {
        *bodyStart = end + 4;
        return true;
    }
    end = data.indexOf("\n\n");
    if (end >= 0) {
        *bodyStart = end + 2;
        return true;
    }
    return false;
}

int statusOf(const QByteArray& data)
{
    // "HTTP/1.x NNN reason"
    if (!data.startsWith("HTTP/"))
        return -1;
    const qsizetype blank = data.indexOf(' ');
    if (blank < 0)
        return -1;
    bool ok = false;
    const int status = data.mid(blank + 1, 3).toInt(&ok);
    return ok ? status : -1;
}

} // namespace

VersionQuery queryLatestVersion(const ServerAddress& server, const QByteArray& path, const Timeouts& timeouts)
{
    VersionQuery q;
    {
        QTcpSocket probe;
        if (server.host.isEmpty() || !connectTo(probe, server, timeouts.connectMs)) {
            q.result = VersionQuery::Result::CannotConnect;
            q.error = probe.errorString();
            return q;
        }
        probe.abort();
    }

    QTcpSocket socket;
    if (!connectTo(socket, server, timeouts.connectMs)) {
        q.error = socket.errorString();
        return q;
    }
    socket.write(requestText(server.host, server.port, path));
    const QDeadlineTimer deadline(timeouts.answerMs);
    QByteArray data;
    qsizetype bodyStart = -1;
    // Reads until the server closes the connection or enough of the body has come.
    while (true) {
        if (bodyStart >= 0 && data.size() - bodyStart >= AnswerLimit)
            break;
        if (socket.bytesAvailable() == 0) {
            if (socket.state() != QAbstractSocket::ConnectedState)
                break;
            if (deadline.hasExpired() || !socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
                if (socket.state() == QAbstractSocket::ConnectedState) {
                    q.error = QStringLiteral("timeout");
                    return q;
                }
                if (socket.bytesAvailable() == 0)
                    break;
            }
        }
        data += socket.readAll();
        if (bodyStart < 0 && !headerEnd(data, &bodyStart) && data.size() > 65536) {
            q.error = QStringLiteral("malformed answer");
            return q;
        }
    }
    socket.abort();
    if (bodyStart < 0 && !headerEnd(data, &bodyStart)) {
        q.error = QStringLiteral("incomplete answer");
        return q;
    }
    const int status = statusOf(data);
    if (status < 200 || status > 299) {
        q.error = QStringLiteral("HTTP status %1").arg(status);
        return q;
    }
    const QByteArray headers = data.left(bodyStart).toLower();
    if (headers.contains("transfer-encoding:") && !headers.contains("transfer-encoding: identity")) {
        q.error = QStringLiteral("unsupported transfer encoding");
        return q;
    }
    q.body = data.mid(bodyStart, AnswerLimit);
    q.result = VersionQuery::Result::Answer;
    return q;
}

Download::Download(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {}

Download::~Download()
{
    abort();
}

void Download::start(const QUrl& url, const QString& targetPath, const Timeouts& timeouts)
{
    abort();
    writeError_.clear();
    received_ = 0;
    file_ = std::make_unique<QSaveFile>(targetPath);
    // A symbolic link in a shared temporary folder may point anywhere: the file it names
    // would be replaced. It is refused, like any other place that cannot be written.
    const bool link = QFileInfo(targetPath).isSymLink();
    if (link || !file_->open(QIODevice::WriteOnly)) {
        const QString error = link ? QStringLiteral("%1 is a symbolic link").arg(targetPath) : file_->errorString();
        file_.reset();
        // Reported from the event loop, like every other outcome.
        QMetaObject::invokeMethod(this, [this, error] { emit failed(error); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(timeouts.transferMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &Download::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &Download::onFinished);
}

void Download::abort()
{
    if (reply_) {
        QNetworkReply* r = reply_;
        reply_ = nullptr;
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
    if (file_) {
        file_->cancelWriting();
        file_.reset(); // removes the temporary file
    }
}

void Download::onReadyRead()
{
    if (!reply_ || !file_)
        return;
    const QByteArray chunk = reply_->readAll();
    if (chunk.isEmpty())
        return;
    if (writeError_.isEmpty() && file_->write(chunk) != chunk.size()) {
        writeError_ = file_->errorString();
        reply_->abort();
        return;
    }
    // Reported for every piece: the reply's own progress signal is held back while
    // pieces come close together, and would leave a slow download looking stalled.
    received_ += chunk.size();
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    emit progress(received_, length.isValid() ? length.toLongLong() : -1);
}

void Download::onFinished()
{
    if (!reply_)
        return;
    onReadyRead();
    QNetworkReply* r = reply_;
    reply_ = nullptr;
    r->deleteLater();
    QString error = writeError_;
    if (error.isEmpty() && r->error() != QNetworkReply::NoError)
        error = r->errorString();
    const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (error.isEmpty() && r->url().scheme().startsWith(QLatin1String("http")) && (status < 200 || status > 299))
        error = QStringLiteral("HTTP status %1").arg(status);
    if (error.isEmpty() && !file_->commit())
        error = file_->errorString();
    if (!error.isEmpty()) {
        if (file_)
            file_->cancelWriting();
        file_.reset();
        emit failed(error);
        return;
    }
    const QString path = file_->fileName();
    file_.reset();
    emit succeeded(path);
}

} // namespace updater
