#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread (through a self-pipe), so
// that they take the same path as File > Exit.
#include <QObject>
#include <functional>

class QSocketNotifier;

class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(std::function<void(int)> handler, QObject* parent = nullptr);
    ~UnixSignals() override;

private:
    void readSignal();
    std::function<void(int)> m_handler;
    QSocketNotifier* m_notifier = nullptr;
};
