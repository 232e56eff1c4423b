#pragma once
// A real main frame on the offscreen platform, with its own program and data folders.
#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SaveModifiedDialog.h"
#include "documents/text/TextView.h"
#include "language/LanguageTable.h"
#include "platform/Registry.h"
#include "platform/Seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

inline void pump(int ms = 0)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < ms);
}

// Runs the event loop until the condition holds or the time is up; true when it holds.
template <class Pred>
bool pumpUntil(Pred pred, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

struct FrameFixture : ::testing::Test {
    QTemporaryDir program, data, files;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<LanguageTable> languages;
    std::unique_ptr<CMainFrame> frame;
    seams::ScriptedMessageBox box;
    seams::ScriptedFileDialogs dialogs;
    ScriptedSaveModifiedPrompt saves;   // the several-documents question (Cancel unless told)
    std::unique_ptr<seams::ScopedMessageBox> boxScope;
    std::unique_ptr<seams::ScopedFileDialogs> dialogScope;

    void SetUp() override
    {
        qputenv("VELMO_DATA_DIR", data.path().toUtf8());
        registry::setUserStorePath(data.filePath("registry.txt"));   // never the user's own
        boxScope = std::make_unique<seams::ScopedMessageBox>(&box);
        dialogScope = std::make_unique<seams::ScopedFileDialogs>(&dialogs);
        setSaveModifiedPrompt(&saves);
        writeIni();
        settings = std::make_unique<AppSettings>(program.path());
        languages = std::make_unique<LanguageTable>();
        languages->Load(settings->Folder(AppSettings::PropertiesFolder));
    }

    virtual void writeIni() {}

    void start(const QStringList& args = {}, const QString& cwd = QString())
    {
        frame = std::make_unique<CMainFrame>(*settings, *languages, args, cwd.isEmpty() ? files.path() : cwd);
        bool done = false;
        QObject::connect(frame.get(), &CMainFrame::deferredStartupDone, [&] { done = true; });
        for (int i = 0; i < 200 && !done; ++i)
            pump(5);
        ASSERT_TRUE(done);
    }

    void TearDown() override
    {
        if (frame) {
            box.defaultAnswer = seams::IDNO;   // never keep the test waiting on a prompt
            saves.answers.clear();
            saves.defaultAnswer = seams::IDNO;
            frame->close();
            frame.reset();
        }
        pump();
        setSaveModifiedPrompt(nullptr);
        qunsetenv("VELMO_DATA_DIR");
        registry::setUserStorePath(QString());
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return path;
    }

    QByteArray read(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    // The next file dialog is accepted with these files.
    void answerDialog(const QStringList& chosen, int encodingIndex = 0)
    {
        seams::FileDialogResult answer;
        answer.accepted = true;
        answer.files = chosen;
        answer.encodingIndex = encodingIndex;
        dialogs.answers.push_back(answer);
    }

    QStringList openPaths() const
    {
        QStringList out;
        for (CChildFrame* c : frame->children())
            out << c->path();
        return out;
    }
    // Opens a file and gives its view the keyboard, as a user clicking into it would.
    CTextView* openAndFocus(const QString& name, const QByteArray& bytes)
    {
        CChildFrame* c = frame->OpenFile(write(name, bytes));
        if (!c || !c->textView()) {
            ADD_FAILURE() << "no text view";
            return nullptr;
        }
        frame->activateWindow();
        if (!QTest::qWaitForWindowActive(frame.get()))
            ADD_FAILURE() << "the frame did not become active";
        c->textView()->setFocus();
        pump(10);
        return c->textView();
    }

    static void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(w, k, m);
        pump();
    }
};
