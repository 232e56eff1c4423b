#include "documents/properties/widgets/DocumentProp.h"

#include "documents/properties/ChecksumJob.h"
#include "documents/text/TextView.h"
#include "platform/Paths.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

namespace properties {

namespace {
qint64 g_threshold = 8 * 1024 * 1024;
constexpr long kWindow = 128 * 1024;

QString unreadableText()
{
    return texts::str(2941, "The file could not be read; no check sums are shown.");
}
} // namespace

void DocumentProp::setBackgroundThreshold(qint64 bytes)
{
    g_threshold = bytes;
}

qint64 DocumentProp::backgroundThreshold()
{
    return g_threshold;
}

std::int64_t DocumentProp::countViewWords(const CTextView* view)
{
    WordCounter counter;
    const long length = view->length();
    std::string window;
    for (long pos = 0; pos < length; pos += kWindow) {
        view->textRange(pos, std::min(length, pos + kWindow), window);
        counter.feed(window.data(), window.size());
    }
    return counter.words();
}

DocumentProp::DocumentProp(CTextView* view, const QString& path, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DocumentProp"));
    setWindowTitle(texts::dialog(DialogId, 0, "File Property"));
    m_box = new QPlainTextEdit(this);
    m_box->setObjectName(QStringLiteral("report"));
    m_box->setReadOnly(true);
    m_box->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_copy = new QPushButton(texts::dialog(DialogId, IdCopy, "Copy"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    m_copy->setAutoDefault(false);
    m_close = new QPushButton(texts::dialog(DialogId, IdClose, "Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_copy);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box, 1);
    layout->addLayout(buttons);
    // Wide enough for the longest line, the SHA-256 sum after its label.
    const int sumLine = m_box->fontMetrics().horizontalAdvance(QString(64, QLatin1Char('D')))
                        + int(m_box->tabStopDistance()) * 2 + 48;
    resize(qMax(560, sumLine), 260);
    connect(m_copy, &QPushButton::clicked, this, &DocumentProp::copy);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    ReportInput in;
    in.path = path;
    if (view) {
        in.lines = view->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
        in.chars = view->documentBytes();
        in.words = countViewWords(view);
    }
    append(countLines(in));
    if (paths::hasFile(path)) {
        const QFileInfo info(path);
        if (info.exists() && info.size() > g_threshold) {
            m_job = new ChecksumJob(this);
            connect(m_job, &ChecksumJob::progress, this, [this](qint64 done, qint64 total) {
                const int percent = total > 0 ? int(done * 100 / total) : 100;
                m_progress->setText(texts::str(2940, "Computing check sums... %1%").arg(percent));
            });
            connect(m_job, &ChecksumJob::finished, this, &DocumentProp::onFinished);
            m_progress->setText(texts::str(2940, "Computing check sums... %1%").arg(0));
            m_job->start(path);
        } else {
            onFinished(computeChecksums(path));
        }
    }
    QApplication::restoreOverrideCursor();
}

DocumentProp::~DocumentProp() = default;

bool DocumentProp::computing() const
{
    return m_job && m_job->running();
}

QString DocumentProp::progressText() const
{
    return m_progress->text();
}

void DocumentProp::append(const QString& lines)
{
    m_report += lines;
    QString shown = m_box->toPlainText() + QString(lines).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_box->setPlainText(shown);
}

void DocumentProp::onFinished(const ChecksumResult& result)
{
    switch (result.status) {
    case ChecksumStatus::Ok:
        append(checksumLines(result.sums));
        m_progress->clear();
        break;
    case ChecksumStatus::ReadError:   // sums of part of a file describe no file: none at all
    case ChecksumStatus::CannotOpen:
        m_progress->setText(unreadableText());
        break;
    case ChecksumStatus::Aborted:
        m_progress->clear();
        break;
    }
}

void DocumentProp::copy()
{
    const QString text = m_box->toPlainText();
    if (text.isEmpty())
        return;
    QApplication::clipboard()->setText(text);
}

} // namespace properties
