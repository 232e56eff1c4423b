// A temporary folder for tagger tests, with files written into it and a scripted stand-in
// "ctags" put first on PATH; PATH is restored after each test.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct CtagsStandInTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray savedPath = qgetenv("PATH");

    void TearDown() override { qputenv("PATH", savedPath); }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    // A stand-in "ctags" that runs this shell script; PATH then holds only its folder
    // and the system folders.
    void standIn(const QByteArray& script)
    {
        const QString path = write("bin/ctags", "#!/bin/sh\n" + script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(dir.filePath("bin")) + ":/usr/bin:/bin");
    }
};
