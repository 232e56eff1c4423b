#pragma once
// The update dialog: both versions, the download servers, the release notes, and the
// download of the installer with its progress.
#include "updater/Network.h"
#include "updater/UpdateClient.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace updater {

class CUpdateDialog : public QDialog {
    Q_OBJECT
public:
    explicit CUpdateDialog(const CheckOutcome& outcome, QWidget* parent = nullptr);

    QPushButton* updateButton() const { return update_; }
    QPushButton* cancelButton() const { return cancel_; }
    QComboBox* serverList() const { return servers_; }
    QPlainTextEdit* notes() const { return notes_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* percentText() const { return percent_; }
    QLineEdit* yourVersion() const { return yourVersion_; }
    QLineEdit* latestVersion() const { return latestVersion_; }
    // The installer's place, and whether it was started.
    QString downloadTarget() const { return target_; }
    bool installerStarted() const { return installerStarted_; }
    Download& download() { return download_; }
    // Time limits of the download (tests shorten them).
    void setTimeouts(const Timeouts& t) { timeouts_ = t; }

public slots:
    // Cancel, the Escape key and the window's close button: asks first.
    void reject() override;

private:
    void startDownload();
    void onProgress(qint64 received, qint64 total);
    void onSucceeded(const QString& path);
    void onFailed(const QString& error);
    void appendNote(const QString& text);
    void showProgress(int percent);

    CheckOutcome outcome_;
    QLineEdit* yourVersion_;
    QLineEdit* latestVersion_;
    QComboBox* servers_;
    QPlainTextEdit* notes_;
    QProgressBar* bar_;
    QLabel* percent_;
    QPushButton* update_;
    QPushButton* cancel_;
    Download download_;
    Timeouts timeouts_;
    QString target_;
    bool installerStarted_ = false;
};

// The whole program after its command line: the check, its messages and the dialog.
// Returns the exit code.
int runUpdateClient(const CommandLine& commandLine, const CheckEnvironment& env);

} // namespace updater
