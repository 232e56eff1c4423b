#include "platform/Seams.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace seams {
namespace {

class QtMessageBox : public IMessageBox {
public:
    int show(QWidget* parent, const QString& text, const QString& caption, unsigned flags) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (flags & 0xF0) {
        case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        std::vector<std::pair<QAbstractButton*, int>> buttons;
        auto add = [&](QMessageBox::StandardButton b, int id) { buttons.push_back({box.addButton(b), id}); };
        switch (flags & 0xF) {
        case MB_OKCANCEL: add(QMessageBox::Ok, IDOK); add(QMessageBox::Cancel, IDCANCEL); break;
        case MB_YESNOCANCEL: add(QMessageBox::Yes, IDYES); add(QMessageBox::No, IDNO); add(QMessageBox::Cancel, IDCANCEL); break;
        case MB_YESNO: add(QMessageBox::Yes, IDYES); add(QMessageBox::No, IDNO); break;
        case MB_RETRYCANCEL: add(QMessageBox::Retry, IDRETRY); add(QMessageBox::Cancel, IDCANCEL); break;
        default: add(QMessageBox::Ok, IDOK); break;
        }
        size_t def = (flags & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[def].first));
        box.exec();
        for (auto& [button, id] : buttons)
            if (box.clickedButton() == button)
                return id;
        // Closed with Escape or the window button: cancel where there is one.
        return (flags & 0xF) == MB_OK ? IDOK : ((flags & 0xF) == MB_YESNO ? IDNO : IDCANCEL);
    }
};

QString qtFilter(const QString& row)
{
    // "description|*.c;*.h" becomes "description (*.c *.h)".
    int bar = row.indexOf('|');
    if (bar < 0)
        return row;
    QString patterns = row.mid(bar + 1);
    patterns.replace(';', ' ');
    return row.left(bar) + " (" + patterns.simplified() + ")";
}

class QtFileDialogs : public IFileDialogs {
public:
    FileDialogResult open(QWidget* parent, const FileDialogRequest& r) override { return run(parent, r, false); }
    FileDialogResult save(QWidget* parent, const FileDialogRequest& r) override { return run(parent, r, true); }
    QString folder(QWidget* parent, const QString& title, const QString& start) override
    {
        return QFileDialog::getExistingDirectory(parent, title, start);
    }

private:
    FileDialogResult run(QWidget* parent, const FileDialogRequest& r, bool saving)
    {
        QFileDialog dlg(parent, r.title, r.directory);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(saving ? QFileDialog::AnyFile
                               : (r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
        QStringList filters;
        for (const QString& row : r.filters)
            filters << qtFilter(row);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            if (r.filterIndex >= 0 && r.filterIndex < filters.size())
                dlg.selectNameFilter(filters[r.filterIndex]);
        }
        if (!r.fileName.isEmpty())
            dlg.selectFile(r.fileName);
        if (!r.defaultSuffix.isEmpty())
            dlg.setDefaultSuffix(r.defaultSuffix);
        QComboBox* encodings = nullptr;
        if (!r.encodings.isEmpty()) {
            if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout())) {
                encodings = new QComboBox(&dlg);
                encodings->setObjectName("encoding");
                encodings->addItems(r.encodings);
                encodings->setCurrentIndex(qBound(0, r.encodingIndex, int(r.encodings.size()) - 1));
                int row = grid->rowCount();
                grid->addWidget(new QLabel(QObject::tr("Encoding:"), &dlg), row, 0);
                grid->addWidget(encodings, row, 1);
            }
        }
        FileDialogResult res;
        if (dlg.exec() != QDialog::Accepted)
            return res;
        res.accepted = true;
        res.files = dlg.selectedFiles();
        res.filterIndex = int(filters.indexOf(dlg.selectedNameFilter()));
        res.encodingIndex = encodings ? encodings->currentIndex() : r.encodingIndex;
        return res;
    }
};

class SystemClock : public IClock {
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

QtMessageBox qtBox;
QtFileDialogs qtDialogs;
SystemClock systemClock;
IMessageBox* currentBox = &qtBox;
IFileDialogs* currentDialogs = &qtDialogs;
IClock* currentClock = &systemClock;

} // namespace

IMessageBox& messageBox() { return *currentBox; }
IFileDialogs& fileDialogs() { return *currentDialogs; }
IClock& clock() { return *currentClock; }
void setMessageBox(IMessageBox* box) { currentBox = box ? box : &qtBox; }
void setFileDialogs(IFileDialogs* d) { currentDialogs = d ? d : &qtDialogs; }
void setClock(IClock* c) { currentClock = c ? c : &systemClock; }

int message(QWidget* parent, const QString& text, unsigned flags)
{
    return currentBox->show(parent, text, QStringLiteral("Velmo"), flags);
}

int message(QWidget* parent, const QString& text, const QString& caption, unsigned flags)
{
    return currentBox->show(parent, text, caption, flags);
}

} // namespace seams
