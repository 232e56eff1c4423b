#include "updater/app/UpdateDialog.h"

#include "platform/Seams.h"
#include "platform/Texts.h"
#include "updater/Installer.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

// The program's icon lives in this library's resources.
static void initUpdaterResources()
{
    Q_INIT_RESOURCE(velmoupd);
}

namespace updater {

namespace {

constexpr int DialogId = 100;

QString programCaption(const CheckOutcome& o)
{
    return captionFor(o.commandLine.target, texts::str(100, "Update"));
}

QLineEdit* readOnlyField(const QString& text)
{
    auto* e = new QLineEdit(text);
    e->setReadOnly(true);
    return e;
}

} // namespace

CUpdateDialog::CUpdateDialog(const CheckOutcome& outcome, QWidget* parent)
    : QDialog(parent), outcome_(outcome), target_(downloadPath(outcome.answer.installer))
{
    initUpdaterResources();
    setWindowTitle(programCaption(outcome_));
    setWindowIcon(QIcon(QStringLiteral(":/velmoupd/velmo.svg")));

    yourVersion_ = readOnlyField(formatVersion(outcome_.current));
    latestVersion_ = readOnlyField(formatVersion(outcome_.answer.latest));
    servers_ = new QComboBox;
    servers_->addItems(outcome_.answer.servers);
    servers_->setCurrentIndex(0);
    servers_->setMinimumContentsLength(40);
    notes_ = new QPlainTextEdit;
    notes_->setReadOnly(true);
    notes_->setPlainText(outcome_.answer.notes);
    notes_->setMinimumSize(460, 200);
    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    bar_->hide();
    percent_ = new QLabel;
    percent_->setMinimumWidth(40);
    percent_->hide();

    auto* form = new QFormLayout;
    auto addRow = [&](int id, const char* english, QWidget* field) {
        auto* label = new QLabel(texts::dialog(DialogId, id, english));
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(116, "&Your Version:", yourVersion_);
    addRow(115, "&Latest Version:", latestVersion_);
    addRow(114, "Update &Server:", servers_);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(bar_, 1);
    progressRow->addWidget(percent_);

    update_ = new QPushButton(texts::dialog(DialogId, 1, "&Update"));
    update_->setDefault(true);
    cancel_ = new QPushButton(texts::dialog(DialogId, 2, "Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(update_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(notes_, 1);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);

    connect(update_, &QPushButton::clicked, this, &CUpdateDialog::startDownload);
    connect(cancel_, &QPushButton::clicked, this, &CUpdateDialog::reject);
    connect(&download_, &Download::progress, this, &CUpdateDialog::onProgress);
    connect(&download_, &Download::succeeded, this, &CUpdateDialog::onSucceeded);
    connect(&download_, &Download::failed, this, &CUpdateDialog::onFailed);
}

void CUpdateDialog::appendNote(const QString& text)
{
    // Always at the end, wherever the user put the cursor.
    QTextCursor c = notes_->textCursor();
    c.movePosition(QTextCursor::End);
    c.insertText(text);
    notes_->verticalScrollBar()->setValue(notes_->verticalScrollBar()->maximum());
}

void CUpdateDialog::showProgress(int percent)
{
    bar_->setValue(percent);
    percent_->setText(QStringLiteral("%1%").arg(percent));
}

void CUpdateDialog::startDownload()
{
    if (download_.running())
        return;
    update_->setEnabled(false);
    showProgress(0);
    bar_->show();
    percent_->show();
    const QString url = servers_->currentText().left(512) + outcome_.answer.installer;
    appendNote(QStringLiteral("\n") + QString(74, '-') + QStringLiteral("\n"));
    appendNote(texts::str(102, "Begin download: %s").replace(QLatin1String("%s"), outcome_.answer.installer) + '\n');
    appendNote(texts::str(103, "Download to: %s").replace(QLatin1String("%s"), target_) + '\n');
    download_.start(QUrl(url), target_, timeouts_);
}

void CUpdateDialog::onProgress(qint64 received, qint64 total)
{
    showProgress(progressPercent(received, total));
}

void CUpdateDialog::onSucceeded(const QString& path)
{
    percent_->setText(QStringLiteral("100%"));
    bar_->setValue(100);
    appendNote(texts::str(104, "Download over") + '\n');
    if (windowFlags() & Qt::WindowStaysOnTopHint) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
    QApplication::beep();
    QApplication::alert(this);
    seams::message(this, texts::str(2980, "Download Finished, Update Now?"), QString(), seams::MB_OK);
    const int error = startInstaller(path);
    installerStarted_ = error == 0;
    if (error != 0)
        seams::message(this, texts::str(2982, "The installer could not be started (error %d).").replace(QLatin1String("%d"), QString::number(error)),
                       windowTitle(), seams::MB_OK | seams::MB_ICONERROR);
    hide();
    done(QDialog::Accepted);
}

void CUpdateDialog::onFailed(const QString&)
{
    bar_->hide();
    percent_->hide();
    const bool several = outcome_.answer.servers.size() >= 2;
    if (several)
        seams::message(this, texts::str(112, "cannot download file, please try other url."), windowTitle(),
                       seams::MB_OK | seams::MB_ICONERROR);
    else
        seams::message(this, texts::str(113, "Cannot download, try later."), windowTitle(),
                       seams::MB_OK | seams::MB_ICONERROR);
    update_->setEnabled(several);
}

void CUpdateDialog::reject()
{
    if (seams::message(this, texts::str(115, "Are you sure cancel update?"), windowTitle(),
                       seams::MB_YESNO | seams::MB_ICONQUESTION) != seams::IDYES)
        return;
    download_.abort();
    QDialog::reject();
}

int runUpdateClient(const CommandLine& commandLine, const CheckEnvironment& env)
{
    using Kind = CheckOutcome::Kind;
    const CheckOutcome outcome = checkForUpdate(commandLine, env);
    const QString caption = outcome.caption.isEmpty() ? QString() : programCaption(outcome);
    switch (outcome.kind) {
    case Kind::NoId:
        return -1;
    case Kind::NoVersion:
    case Kind::RequestFailed:
    case Kind::NoUnderscore:
        return 0;
    case Kind::CannotConnect:
        if (!commandLine.silent)
            seams::message(nullptr, texts::str(114, "Cannot connect to web."), caption, seams::MB_OK | seams::MB_ICONERROR);
        return 0;
    case Kind::UpToDate:
        if (!commandLine.silent)
            seams::message(nullptr, texts::str(109, "The current version is up to date."), caption,
                           seams::MB_OK | seams::MB_ICONINFORMATION);
        return 0;
    case Kind::BadInstallerName:
        if (!commandLine.silent)
            seams::message(nullptr,
                           texts::str(2981, "The update server named an installer that cannot be used: %s")
                               .replace(QLatin1String("%s"), outcome.answer.installer),
                           caption, seams::MB_OK | seams::MB_ICONERROR);
        return 0;
    case Kind::Newer:
        break;
    }
    CUpdateDialog dialog(outcome);
    dialog.setTimeouts(env.timeouts);
    dialog.exec();
    return 0;
}

} // namespace updater
