#pragma once
// A small HTTP server on 127.0.0.1 for the update client's tests. It runs on a thread of
// its own (the client's version request waits on the main thread) and answers each path
// with a scripted response; it records every request it received.
#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace testing_http {

struct Response {
    int status = 200;
    QByteArray body;
    // Only this many bytes of the body are sent, then the connection stays open (a
    // download that hangs); -1 sends all and closes.
    qsizetype sendOnly = -1;
    bool contentLength = true;
};

class LocalHttpServer {
public:
    LocalHttpServer()
    {
        thread_.start();
        server_ = new QTcpServer;
        server_->moveToThread(&thread_);
        QSemaphore ready;
        QMetaObject::invokeMethod(server_, [this, &ready] {
            server_->listen(QHostAddress::LocalHost, 0);
            port_ = server_->serverPort();
            QObject::connect(server_, &QTcpServer::newConnection, server_, [this] { accept(); });
            ready.release();
        });
        ready.acquire();
    }
    ~LocalHttpServer()
    {
        QMetaObject::invokeMethod(server_, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    quint16 port() const { return port_; }
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

    // Requests whose path starts with `prefix` get `response`.
    void route(const QByteArray& prefix, const Response& response)
    {
        QMutexLocker lock(&mutex_);
        routes_[prefix] = response;
    }
    QList<QByteArray> requests() const
    {
        QMutexLocker lock(&mutex_);
        return requests_;
    }

private:
    void accept()
    {
        while (QTcpSocket* s = server_->nextPendingConnection()) {
            auto* buffer = new QByteArray;
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                buffer->append(s->readAll());
                if (!buffer->contains("\r\n\r\n"))
                    return;
                answer(s, *buffer);
                buffer->clear();
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, [s, buffer] {
                delete buffer;
                s->deleteLater();
            });
        }
    }

    void answer(QTcpSocket* s, const QByteArray& request)
    {
        Response r;
        r.status = 404;
        {
            QMutexLocker lock(&mutex_);
            requests_.append(request);
            const QByteArray path = request.split(' ').value(1);
            qsizetype best = -1;
            for (auto it = routes_.cbegin(); it != routes_.cend(); ++it)
                if (path.startsWith(it.key()) && it.key().size() > best) {
                    best = it.key().size();
                    r = it.value();
                }
        }
        QByteArray head = "HTTP/1.0 " + QByteArray::number(r.status) + (r.status == 200 ? " OK" : " Error") + "\r\n";
        if (r.contentLength)
            head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        head += "Content-Type: application/octet-stream\r\n\r\n";
        s->write(head);
        if (r.sendOnly >= 0) {
            s->write(r.body.left(r.sendOnly));
            s->flush();
            return;
        }
        s->write(r.body);
        s->disconnectFromHost();
    }

    QThread thread_;
    QTcpServer* server_ = nullptr;
    quint16 port_ = 0;
    mutable QMutex mutex_;
    QMap<QByteArray, Response> routes_;
    QList<QByteArray> requests_;
};

// A port on 127.0.0.1 where nothing listens.
inline quint16 deadPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

} // namespace testing_http
