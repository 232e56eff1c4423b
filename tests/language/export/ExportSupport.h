#pragma once
// Styled documents, property stores and outside programs for the exporter tests.
#include "language/export/Exporter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QString>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace exporttest {

// A text with the style of each of its bytes.
struct Doc {
    std::string text;
    std::string styles;
    std::vector<int> folds;
    std::string path = "/home/user/src/sample.c";

    Doc& add(std::string_view part, int style)
    {
        text += part;
        styles.append(part.size(), char(style));
        return *this;
    }
    exporting::StyledText in() const
    {
        exporting::StyledText t;
        t.text = text;
        t.styles = styles;
        t.foldLevels = folds;
        t.path = path;
        return t;
    }
};

inline Doc plain(std::string_view text, int style = 0)
{
    Doc d;
    d.add(text, style);
    return d;
}

inline std::unique_ptr<PropSetFile> props(std::string_view text)
{
    auto p = std::make_unique<PropSetFile>();
    p->ReadFromMemory(text, std::string());
    return p;
}

// The base font scheme every test starts from (the store holds it under style.*.32).
inline constexpr const char* kScheme = "style.*.32=font:Courier New,size:10\n";

inline std::string run(exporting::Format format, const PropSetFile& p, const Doc& doc,
                       exporting::ExportReport* report = nullptr, std::string_view lexer = "cpp")
{
    const exporting::StyleTable styles = exporting::resolveStyles(p, lexer);
    std::string out;
    exporting::ExportReport r = exporting::makeExporter(format, p, styles)->write(doc.in(), out);
    if (report)
        *report = r;
    return out;
}

inline std::string run(exporting::Format format, std::string_view properties, const Doc& doc,
                       exporting::ExportReport* report = nullptr)
{
    return run(format, *props(properties), doc, report);
}

inline size_t count(std::string_view hay, std::string_view needle)
{
    size_t n = 0;
    for (size_t at = hay.find(needle); at != std::string_view::npos; at = hay.find(needle, at + needle.size()))
        ++n;
    return n;
}

// Runs a program to its end; the exit code, or -1 when it could not run.
struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};
inline Ran runProgram(const QString& program, const QStringList& args, const QString& folder = QString())
{
    QProcess p;
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    Ran r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(300000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

inline bool writeBytes(const QString& path, std::string_view bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

inline std::string readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

// Checks a PDF as the outside tools see it: qpdf finds no fault, and pdftotext gives its
// text back (returned). The tools are part of the test set-up (scripts/install-deps).
inline std::string checkedPdfText(const std::string& pdf, const QString& folder)
{
    const QString file = QDir(folder).filePath("checked.pdf");
    EXPECT_TRUE(writeBytes(file, pdf));
    const Ran check = runProgram("qpdf", {"--check", file});
    EXPECT_EQ(check.code, 0) << "qpdf --check: " << check.out << check.err;
    EXPECT_EQ(check.err, "") << "qpdf warns";
    const Ran text = runProgram("pdftotext", {"-layout", "-enc", "UTF-8", file, "-"});
    EXPECT_EQ(text.code, 0) << text.err;
    return text.out;
}

} // namespace exporttest
