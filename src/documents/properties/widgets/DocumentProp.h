#pragma once
// The File Property dialog: the report on one text document, with Copy and Close. The
// check sums of a large file are computed on a worker while the dialog shows its progress.
#include "documents/properties/FileReport.h"

#include <QDialog>

class CTextView;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace properties {

class ChecksumJob;

class DocumentProp : public QDialog {
    Q_OBJECT
public:
    enum { DialogId = 10, IdCopy = 100, IdReport = 101, IdClose = 1 };

    // Builds the report on `view`, whose document has the path `path` ("<new>" when it has
    // no file).
    DocumentProp(CTextView* view, const QString& path, QWidget* parent = nullptr);
    ~DocumentProp() override;

    // The report as built so far, lines ended by CR LF.
    const QString& report() const { return m_report; }
    // True while the sums are still being computed.
    bool computing() const;
    QString progressText() const;

    // Files larger than this many bytes are read on a worker thread.
    static void setBackgroundThreshold(qint64 bytes);
    static qint64 backgroundThreshold();

    // The words of the view's text, read in windows of 128 KiB.
    static std::int64_t countViewWords(const CTextView* view);

private:
    void append(const QString& lines);
    void copy();
    void onFinished(const ChecksumResult& result);

    QPlainTextEdit* m_box;
    QLabel* m_progress;
    QPushButton* m_copy;
    QPushButton* m_close;
    ChecksumJob* m_job = nullptr;
    QString m_report;
};

} // namespace properties
