#pragma once
// The update client's two network steps: asking the update server for the latest version
// (a plain HTTP/1.0 exchange) and downloading the installer. Every step has a time limit;
// an HTTP error, a broken answer or a timeout is a failure, never an empty answer.
#include "updater/UpdateProtocol.h"

#include <QObject>
#include <QPointer>
#include <QSaveFile>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
#include <QNetworkReply>

namespace updater {

struct Timeouts {
    int connectMs = 10000;   // reaching the server
    int answerMs = 20000;    // the whole answer
    int transferMs = 30000;  // a download without any data for this long
};

struct VersionQuery {
    enum class Result { Answer, CannotConnect, Failed };
    Result result = Result::Failed;
    QByteArray body;         // the answer's body, at most 512 bytes
    QString error;
};

// Checks that the server takes connections, then sends the request for `path` and reads
// the answer's body. A status other than 2xx is a failure.
VersionQuery queryLatestVersion(const ServerAddress& server, const QByteArray& path,
                                const Timeouts& timeouts = {});

// Downloads one file into `targetPath`. The file appears only once it is complete: the
// data goes to a temporary file beside it that is renamed at the end, and removed on
// failure or abort. Runs on the calling thread's event loop.
class Download : public QObject {
    Q_OBJECT
public:
    explicit Download(QObject* parent = nullptr);
    ~Download() override;

    void start(const QUrl& url, const QString& targetPath, const Timeouts& timeouts = {});
    // Stops a running download; the partial file is removed and failed() is not emitted.
    void abort();
    bool running() const { return reply_ != nullptr; }

signals:
    // Bytes received so far and the announced size (-1 when unknown), after each piece.
    void progress(qint64 received, qint64 total);
    void succeeded(const QString& path);
    void failed(const QString& error);

private:
    void onReadyRead();
    void onFinished();

    QNetworkAccessManager* manager_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QSaveFile> file_;
    QString writeError_;
    qint64 received_ = 0;
};

} // namespace updater
