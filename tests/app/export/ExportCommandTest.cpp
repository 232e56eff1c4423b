// The export commands as a user reaches them: File > Export and Edit > Copy as RTF on a
// real main frame, with the shipped language configuration and the real editing component.
#include "ExportSupport.h"
#include "FrameFixture.h"

#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>

namespace {

struct ExportCommandTest : FrameFixture {
    void writeIni() override
    {
        QFile f(program.filePath("velmo.ini"));
        f.open(QIODevice::WriteOnly);
        f.write("[EDITOR]\nEditorMask=512\n[FONT]\n1=font:Courier New,size:10,back:#FFFFFF\nCurSel=1\n");
    }

    // An item of a main-menu popup; the Export items sit in a submenu of File, which gets
    // its states when File opens.
    QAction* item(const char* popup, int id)
    {
        QMenu* menu = frame->commandUi()->popup(popup);
        if (!menu) {
            ADD_FAILURE() << "no menu " << popup;
            return nullptr;
        }
        QMenu* top = std::string_view(popup) == "menu_export" ? frame->commandUi()->popup("menu_file") : menu;
        emit top->aboutToShow();   // states are computed when a menu opens
        for (QAction* a : menu->actions())
            if (a->data().toInt() == id)
                return a;
        ADD_FAILURE() << "no item " << id;
        return nullptr;
    }

    // Chooses File > Export > (item) with the save dialog answered by `target`.
    void exportAs(int id, const QString& target)
    {
        answerDialog({target});
        QAction* a = item("menu_export", id);
        ASSERT_TRUE(a);
        ASSERT_TRUE(a->isEnabled());
        a->trigger();
        pump();
    }
};

constexpr const char* kSource = "int main(void)\n{\n\treturn 0; /* a<b {x} */\n}\n";

TEST_F(ExportCommandTest, EachExportItemAsksForAFileAndWritesTheColouredText)
{
    start();
    ASSERT_TRUE(openAndFocus("main.c", kSource));
    struct Expect {
        int id;
        const char* file;
        const char* filter;
        const char* suffix;
        const char* marks;   // what the coloured keyword looks like in the file
    };
    const Expect all[] = {
        {cmd::FileExportHtml, "out.html", "Web (*.html;*.htm)|*.html;*.htm", "htm", "<span class=\"S5\">int</span>"},
        {cmd::FileExportRtf, "out.rtf", "RTF (*.rtf)|*.rtf", "rtf", "\\b int"},
        {cmd::FileExportPdf, "out.pdf", "PDF (*.pdf)|*.pdf", "pdf", "/F2 10 Tf 0 0 0.498 rg (int)Tj"},
        {cmd::FileExportLatex, "out.tex", "TeX (*.tex)|*.tex", "tex", "\\edf{int}%"},
    };
    for (const Expect& e : all) {
        const QString target = files.filePath(e.file);
        exportAs(e.id, target);
        ASSERT_FALSE(dialogs.requests.empty());
        const seams::FileDialogRequest& asked = dialogs.requests.back();
        EXPECT_EQ(asked.filters, QStringList{e.filter});
        EXPECT_EQ(asked.defaultSuffix, e.suffix);
        EXPECT_TRUE(asked.fileName.isEmpty());
        const std::string bytes = exporttest::readBytes(target);
        EXPECT_NE(bytes.find(e.marks), std::string::npos) << e.file << "\n" << bytes;
    }
    EXPECT_NE(exporttest::readBytes(files.filePath("out.html")).find("<title>main.c</title>"), std::string::npos);
    EXPECT_TRUE(box.shown.empty());
    QTemporaryDir dir;
    const std::string text = exporttest::checkedPdfText(exporttest::readBytes(files.filePath("out.pdf")), dir.path());
    EXPECT_NE(text.find("return 0; /* a<b {x} */"), std::string::npos) << text;
}

TEST_F(ExportCommandTest, CancellingTheDialogWritesNothingAndAFailedWriteWarns)
{
    start();
    ASSERT_TRUE(openAndFocus("main.c", kSource));
    QAction* html = item("menu_export", cmd::FileExportHtml);
    ASSERT_TRUE(html);
    html->trigger();   // no answer: the dialog is cancelled
    pump();
    EXPECT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(box.shown.empty());

    const QString target = files.filePath("no such folder/out.pdf");
    exportAs(cmd::FileExportPdf, target);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("Could not save file \"" + target + "\"."))
        << box.shown[0].text.toStdString();
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_EQ(box.shown[0].flags & 0xF0, unsigned(seams::MB_ICONWARNING));
    EXPECT_FALSE(QFile::exists(target));
    // An existing file that cannot be replaced keeps its contents: here a folder is in the way.
    QDir(files.path()).mkdir("taken.rtf");
    exportAs(cmd::FileExportRtf, files.filePath("taken.rtf"));
    EXPECT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(QFileInfo(files.filePath("taken.rtf")).isDir());
}

TEST_F(ExportCommandTest, PdfCountsTheCharactersItCannotShow)
{
    start();
    ASSERT_TRUE(openAndFocus("note.txt", "caf\xC3\xA9 \xE2\x9C\x93 \xE2\x9C\x97\n"));
    exportAs(cmd::FileExportPdf, files.filePath("note.pdf"));
    EXPECT_TRUE(frame->statusBar()->currentMessage().startsWith("2 "))
        << frame->statusBar()->currentMessage().toStdString();
    const std::string pdf = exporttest::readBytes(files.filePath("note.pdf"));
    EXPECT_NE(pdf.find("(caf\xE9 ? ?)Tj"), std::string::npos);
}

TEST_F(ExportCommandTest, FoldedHtmlFollowsTheComponentsFoldLevels)
{
    languages->Props().Assign("export.html.folding", "1");
    start();
    ASSERT_TRUE(openAndFocus("f.c", "int f()\n{\n\tif (x) {\n\t\ty();\n\t}\n}\n"));
    exportAs(cmd::FileExportHtml, files.filePath("f.html"));
    const std::string html = exporttest::readBytes(files.filePath("f.html"));
    // The brace lines are fold headers; every section is closed again.
    EXPECT_NE(html.find("<span id=\"hd1\" onclick=\"toggle('2')\">"), std::string::npos) << html;
    EXPECT_NE(html.find("<span id=\"ln2\">"), std::string::npos) << html;
    EXPECT_EQ(exporttest::count(html, "<span"), exporttest::count(html, "</span>"));
}

TEST_F(ExportCommandTest, ExportIsOffForHexDocuments)
{
    start();
    ASSERT_TRUE(frame->OpenFile(write("b.bin", QByteArray("\x00\x01\x02", 3)), 6));
    for (int id : {cmd::FileExportHtml, cmd::FileExportRtf, cmd::FileExportPdf, cmd::FileExportLatex}) {
        QAction* a = item("menu_export", id);
        ASSERT_TRUE(a);
        EXPECT_FALSE(a->isEnabled()) << id;
    }
}

TEST_F(ExportCommandTest, CopyAsRtfPutsOnlyRtfOnTheClipboard)
{
    start();
    CTextView* v = openAndFocus("main.c", kSource);
    ASSERT_TRUE(v);
    const long at = long(std::string(kSource).find("{x}"));
    v->setSel(at, at + 3);
    pump();
    QAction* copy = item("menu_edit", cmd::EditCopyRtf);
    ASSERT_TRUE(copy && copy->isEnabled());
    copy->trigger();
    pump();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_FALSE(mime->hasText());
    for (const QString& format : mime->formats())
        EXPECT_TRUE(format == "text/rtf" || format == "application/rtf") << format.toStdString();
    const std::string rtf = mime->data("text/rtf").toStdString();
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(rtf.find("\\{x\\}}"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("int"), std::string::npos);   // only the selection

    // The key binding takes the same road.
    QApplication::clipboard()->setText("plain");
    v->setSel(0, 3);
    key(v, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    mime = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    EXPECT_FALSE(mime->hasText());
    EXPECT_NE(mime->data("text/rtf").toStdString().find("int}"), std::string::npos);
}

} // namespace
