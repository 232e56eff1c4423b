// Commands that run in a second interpreter (the sides of a pipe, FOR /F 'command') with
// file names that look like commands: batch files run through the real velmocmd in a
// temporary folder holding one hostile file; no name may run a command.
#include "BatchProcess.h"
#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString velmocmd = testpaths::binary("/bin/velmocmd");

// Each name, were it pasted into the command text, would run "touch X".
const char* const hostileNames[] = {
    "%COMSPEC:\"=%&touch X",
    "a\ntouch X",
    "r&touch X",
    "x==x touch X",
    "x\" & touch X & rem \"",
};

struct Outcome {
    std::string output;
    bool touched = false;
    QString dir; // the folder, kept until the outcome is dropped
    std::shared_ptr<QTemporaryDir> keep;
};

// Runs `script` as t.bat in a folder whose subfolder d holds one file `name` (its
// content "content").
Outcome runWithName(const char* name, const std::string& script)
{
    Outcome r;
    r.keep = std::make_shared<QTemporaryDir>();
    QTemporaryDir& tmp = *r.keep;
    EXPECT_TRUE(tmp.isValid());
    r.dir = tmp.path();
    QDir(tmp.path()).mkdir(QStringLiteral("d"));
    const QString hostile = tmp.path() + "/d/" + QString::fromUtf8(name);
    {
        QFile f(hostile);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name;
        f.write("content\n");
    }
    {
        QFile f(tmp.path() + "/t.bat");
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("@echo off\r\n" + script + "\r\n").c_str());
    }
    QProcess p;
    console::test::startBatch(p, velmocmd, tmp.path(), QStringLiteral("t.bat"));
    EXPECT_TRUE(p.waitForStarted());
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    r.output = p.readAll().toStdString();
    r.touched = QFile::exists(tmp.path() + "/X") || QFile::exists(tmp.path() + "/d/X");
    return r;
}

bool hasLineBreak(const char* name) { return std::string(name).find('\n') != std::string::npos; }

TEST(HostileNameTest, PipeSidesEchoTheNameAndRunNothing)
{
    for (const char* name : hostileNames) {
        const std::string shown = std::string("d/") + name;
        // The blank before "|" belongs to ECHO's text.
        for (auto [script, echoed] : {std::pair{"for %%f in (d/*) do echo %%f | sort", shown + " "},
                                      std::pair{"for %%f in (d/*) do (echo %%f) | sort", shown}}) {
            Outcome r = runWithName(name, script);
            EXPECT_FALSE(r.touched) << script << " with " << name;
            if (hasLineBreak(name)) {
                // A line break cannot be written into a command line: refused.
                EXPECT_NE(r.output.find("cannot be handed to a second command interpreter"),
                          std::string::npos)
                    << r.output;
                EXPECT_EQ(r.output.find("content"), std::string::npos);
            } else {
                EXPECT_EQ(r.output, echoed + "\r\n") << script << " with " << name;
            }
        }
    }
}

TEST(HostileNameTest, RedirectionTargetsNameTheFileItself)
{
    for (const char* name : hostileNames) {
        Outcome r = runWithName(name, "for %%f in (d/*) do (echo hi >%%f.out) | sort");
        EXPECT_FALSE(r.touched) << name;
        if (hasLineBreak(name)) {
            EXPECT_NE(r.output.find("cannot be handed to a second command interpreter"), std::string::npos)
                << r.output;
        } else {
            EXPECT_EQ(r.output, "") << name;
            // Quotes are removed from redirection targets, so a name with quotes is
            // written without them.
            QString target = r.dir + "/d/" + QString::fromUtf8(name).remove('"') + ".out";
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
            EXPECT_EQ(f.readAll().toStdString(), "hi \r\n") << name;
        }
    }
}

TEST(HostileNameTest, IfOperandsAreComparedNotRun)
{
    for (const char* name : hostileNames) {
        Outcome r = runWithName(name, "for %%f in (d/*) do (if %%f==d/y echo same) | sort");
        EXPECT_FALSE(r.touched) << name;
        const std::string n(name);
        if (hasLineBreak(name) || n.find("==") != std::string::npos) {
            // An operand holding "==" or a line break cannot be written back as one
            // operand: refused.
            EXPECT_NE(r.output.find("cannot be handed to a second command interpreter"), std::string::npos)
                << name << ": " << r.output;
        } else {
            EXPECT_EQ(r.output, "") << name;
        }
    }
    Outcome same = runWithName("r&touch X", "for %%f in (d/*) do (if %%f==d/r^&touch^ X echo same) | sort");
    EXPECT_FALSE(same.touched);
    EXPECT_EQ(same.output, "same\r\n");
}

TEST(HostileNameTest, ForFileCommandsGetTheNameAsOneValue)
{
    for (const char* name : hostileNames) {
        Outcome r = runWithName(name, "for %%f in (d/*) do for /f \"delims=\" %%l in ('echo %%f') do echo [%%l]");
        EXPECT_FALSE(r.touched) << name;
        if (hasLineBreak(name)) {
            EXPECT_NE(r.output.find("cannot be handed to a second command interpreter"), std::string::npos)
                << r.output;
            EXPECT_EQ(r.output.find("[d/"), std::string::npos);
        } else {
            EXPECT_EQ(r.output, std::string("[d/") + name + "]\r\n") << name;
        }
        // Quoted by the batch author: a name's own quote ends that quoting, but still
        // nothing runs.
        Outcome quoted = runWithName(name, "for %%f in (d/*) do for /f \"delims=\" %%l in ('type \"%%f\"') do echo [%%l]");
        EXPECT_FALSE(quoted.touched) << name;
        if (std::string(name).find('"') == std::string::npos && !hasLineBreak(name)) {
            EXPECT_EQ(quoted.output, "[content]\r\n") << name;
        }
    }
}

TEST(HostileNameTest, ForFileCommandsExpandTheAuthorsTextOnceAndValuesNever)
{
    Outcome r = runWithName("50%greet%x", "set greet=hi\r\n"
                                          "for %%f in (d/*) do for /f \"delims=\" %%l in ('echo %%greet%% %%f') do echo [%%l]");
    EXPECT_EQ(r.output, "[hi d/50%greet%x]\r\n");
}

TEST(HostileNameTest, ForFileCommandsOnAPipeSidePassTheirValuesOn)
{
    // The FOR /F loop runs in a second interpreter, and its command in a third.
    for (const char* name : hostileNames) {
        Outcome r = runWithName(name, "for %%f in (d/*) do (for /f \"delims=\" %%l in ('echo %%f') do @echo [%%l]) | sort");
        EXPECT_FALSE(r.touched) << name;
        const std::string n(name);
        if (hasLineBreak(name) || n.find('%') != std::string::npos) {
            // The command's text for the third interpreter spans lines ("%" ends a line),
            // which a FOR set cannot hold: refused.
            EXPECT_NE(r.output.find("cannot be handed to a second command interpreter"), std::string::npos)
                << r.output;
        } else {
            EXPECT_EQ(r.output, "[d/" + n + "]\r\n") << name;
        }
    }
}

} // namespace
