#pragma once
// One running editor: a lock file marks the first instance, which listens on a local
// socket in the user's runtime folder. A second start hands its working directory and its
// command line over, waits for the answer and ends.
#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Hand-overs larger than this are ignored.
    static constexpr int kMaxHandOver = 1 << 20;

    // `folder` is the runtime folder to use (tests); empty means the user's.
    explicit SingleInstance(const QString& folder = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. True when this is the first instance; false when another holds it.
    bool acquire();
    bool isFirst() const { return m_lockFd >= 0; }

    // Second start: sends the directory and command line to the first instance and waits
    // for its answer. An empty command line only brings the first instance forward.
    // False when the first instance cannot be reached or refuses the hand-over.
    bool handOver(const QString& directory, const QString& commandLine, int timeoutMs = 5000);

    // First instance: starts listening for hand-overs.
    bool listen();
    // First instance: asked as each hand-over arrives; when it answers false the hand-over
    // is refused and the second start goes on as an instance of its own.
    void setAcceptor(std::function<bool()> acceptor) { m_acceptor = std::move(acceptor); }

    // The encoded message (exposed for tests).
    static QByteArray encode(const QString& directory, const QString& commandLine);
    // Decodes a message body; false for anything malformed.
    static bool decode(const QByteArray& body, QString& directory, QString& commandLine);

    static QString runtimeFolder();
    QString socketPath() const;

signals:
    // A hand-over arrived. Empty texts mean "only come forward". Emitted from a queued
    // call once the second start has its answer, so a handler may run event loops.
    void handOverReceived(const QString& directory, const QString& commandLine);

private:
    void onConnection();

    QString m_folder;
    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
    std::function<bool()> m_acceptor;
};
