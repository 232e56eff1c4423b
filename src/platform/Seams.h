#pragma once
// Seams between the editor and the desktop: message boxes, file dialogs and the clock.
// The program installs the Qt implementations; tests install scripted ones.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace seams {

// Message-box styles and answers keep their Windows values.
enum MbFlags : unsigned {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
};
enum MbResult : int { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual int show(QWidget* parent, const QString& text, const QString& caption, unsigned flags) = 0;
};

// One filter row of the open and save dialogs: "description|pattern".
struct FileDialogRequest {
    QString title;
    QString directory;
    QString fileName;          // initial name (save dialog)
    QStringList filters;       // "description|pattern;pattern" rows
    int filterIndex = 0;
    QStringList encodings;     // optional encoding choice shown by the dialog
    int encodingIndex = 0;
    bool multiSelect = false;
    QString defaultSuffix;     // added to a name typed without one (save dialog)
};

struct FileDialogResult {
    bool accepted = false;
    QStringList files;
    int filterIndex = 0;
    int encodingIndex = 0;
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual FileDialogResult open(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual FileDialogResult save(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString folder(QWidget* parent, const QString& title, const QString& start) = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime now() = 0;
};

// Installed implementations (the Qt ones unless a test replaced them).
IMessageBox& messageBox();
IFileDialogs& fileDialogs();
IClock& clock();
void setMessageBox(IMessageBox* box);   // nullptr restores the Qt one
void setFileDialogs(IFileDialogs* dialogs);
void setClock(IClock* clock);

// Shows a message box with the caption "Velmo" (or the given caption).
int message(QWidget* parent, const QString& text, unsigned flags = MB_OK | MB_ICONWARNING);
int message(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

// Scripted doubles for tests ----------------------------------------------------

struct ShownMessage {
    QString text;
    QString caption;
    unsigned flags;
};

class ScriptedMessageBox : public IMessageBox {
public:
    std::vector<ShownMessage> shown;
    std::deque<int> answers;   // popped in order; IDOK/IDYES-like default when empty
    int defaultAnswer = IDOK;
    int show(QWidget*, const QString& text, const QString& caption, unsigned flags) override
    {
        shown.push_back({text, caption, flags});
        if (answers.empty())
            return defaultAnswer;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
};

class ScriptedFileDialogs : public IFileDialogs {
public:
    std::vector<FileDialogRequest> requests;
    std::deque<FileDialogResult> answers;
    std::deque<QString> folders;
    FileDialogResult open(QWidget*, const FileDialogRequest& r) override { return next(r); }
    FileDialogResult save(QWidget*, const FileDialogRequest& r) override { return next(r); }
    QString folder(QWidget*, const QString&, const QString&) override
    {
        if (folders.empty())
            return {};
        QString f = folders.front();
        folders.pop_front();
        return f;
    }

private:
    FileDialogResult next(const FileDialogRequest& r)
    {
        requests.push_back(r);
        if (answers.empty())
            return {};
        FileDialogResult a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FixedClock : public IClock {
public:
    QDateTime time = QDateTime::currentDateTime();
    QDateTime now() override { return time; }
};

// Installs a double for the lifetime of a scope.
template <typename T, void (*Set)(T*)>
struct ScopedSeam {
    explicit ScopedSeam(T* t) { Set(t); }
    ~ScopedSeam() { Set(nullptr); }
};
using ScopedMessageBox = ScopedSeam<IMessageBox, setMessageBox>;
using ScopedFileDialogs = ScopedSeam<IFileDialogs, setFileDialogs>;
using ScopedClock = ScopedSeam<IClock, setClock>;

} // namespace seams
