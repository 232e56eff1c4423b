#pragma once
// Shared pieces of the text-document tests: one application object for the whole
// run, a temporary folder with a real text view, and byte helpers.
#include "documents/text/Document.h"
#include "documents/text/Encoding.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

inline QApplication& testApp()
{
    static int argc = 1;
    static char name[] = "velmo_documents_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

inline std::string bytesOf(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s.push_back(char(b));
    return s;
}

// UTF-16 bytes of a text, with or without its mark.
inline std::string utf16Bytes(const QString& text, bool bigEndian, bool mark = true)
{
    std::string s = mark ? (bigEndian ? bytesOf({0xFE, 0xFF}) : bytesOf({0xFF, 0xFE})) : std::string();
    for (QChar c : text) {
        char16_t u = c.unicode();
        char hi = char(u >> 8), lo = char(u & 0xFF);
        s += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return s;
}

inline std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// The application must exist before the view member is built.
struct WithApp {
    WithApp() { testApp(); }
};

class TextDocTest : public ::testing::Test, private WithApp {
protected:

    QString path(const QString& name) const { return dir.filePath(name); }

    QString write(const QString& name, const std::string& bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
        return path(name);
    }

    static std::string read(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return f.readAll().toStdString();
    }

    // Loads bytes written to a file, as a new document would be.
    void load(const std::string& bytes, int mode = textdoc::OpenAutomatic)
    {
        ASSERT_TRUE(textdoc::loadText(view, write("in.txt", bytes), mode).ok);
    }

    // Saves the view to a fresh file and returns that file's bytes.
    std::string saved()
    {
        QString out = path("out.txt");
        QFile::remove(out);
        EXPECT_TRUE(textdoc::saveText(view, out).ok);
        return read(out);
    }

    QTemporaryDir dir;
    CTextView view;
};
