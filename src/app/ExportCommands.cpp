#include "app/ExportCommands.h"

#include "app/commands/CommandTable.h"
#include "documents/text/TextView.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <algorithm>
#include <cstring>

namespace exportcmd {

namespace {

using SB = QsciScintillaBase;

// The component's styled text is read in blocks of this many characters.
constexpr long kBlock = 1 << 20;

} // namespace

exporting::StyledText ViewText::styled(const QString& documentPath) const
{
    exporting::StyledText in;
    in.text = text;
    in.styles = styles;
    in.foldLevels = foldLevels;
    in.utf8 = true;   // the component holds every document as UTF-8
    in.path = documentPath.toStdString();
    return in;
}

ViewText readView(CTextView& view, long start, long end, bool folds)
{
    ViewText out;
    view.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    const long length = view.length();
    start = std::clamp(start, 0L, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    out.text.reserve(size_t(end - start));
    out.styles.reserve(size_t(end - start));
    std::string pairs;
    for (long at = start; at < end; at += kBlock) {
        const long to = std::min(end, at + kBlock);
        // Character and style byte alternate, followed by two zero bytes.
        pairs.resize(size_t(to - at) * 2 + 2);
        Sci_TextRange range{{at, to}, pairs.data()};
        view.SendScintilla(SB::SCI_GETSTYLEDTEXT, 0UL, static_cast<void*>(&range));
        for (size_t k = 0; k + 2 < pairs.size(); k += 2) {
            out.text += pairs[k];
            out.styles += pairs[k + 1];
        }
    }
    if (folds) {
        const long lines = view.SendScintilla(SB::SCI_GETLINECOUNT);
        out.foldLevels.reserve(size_t(lines));
        for (long line = view.lineFromPosition(start); line < lines; ++line)
            out.foldLevels.push_back(int(view.SendScintilla(SB::SCI_GETFOLDLEVEL, static_cast<unsigned long>(line))));
    }
    return out;
}

bool formatOfCommand(int command, exporting::Format& format)
{
    switch (command) {
    case cmd::FileExportHtml: format = exporting::Format::Html; return true;
    case cmd::FileExportRtf: format = exporting::Format::Rtf; return true;
    case cmd::FileExportPdf: format = exporting::Format::Pdf; return true;
    case cmd::FileExportLatex: format = exporting::Format::Latex; return true;
    default: return false;
    }
}

QString exportDocument(QWidget* parent, CTextView& view, const PropSetFile& props, const std::string& lexer,
                       const QString& documentPath, const QString& folder, exporting::Format format)
{
    const exporting::FormatInfo info = exporting::formatInfo(format);
    seams::FileDialogRequest request;
    static const char* const titles[] = {"Export as HTML", "Export as RTF", "Export as PDF", "Export as LaTeX"};
    request.title = texts::str(2800 + int(format), titles[int(format)]);
    request.directory = folder;
    request.filters << QString::fromLatin1(info.filterText) + '|' + QString::fromLatin1(info.patterns);
    request.defaultSuffix = QString::fromLatin1(info.suffix);
    const seams::FileDialogResult answer = seams::fileDialogs().save(parent, request);
    if (!answer.accepted || answer.files.isEmpty())
        return {};
    const QString target = answer.files.first();

    const bool folds = format == exporting::Format::Html && props.LookupInt("export.html.folding", 0) != 0;
    const ViewText text = readView(view, 0, -1, folds);
    const exporting::StyleTable styles = exporting::resolveStyles(props, lexer);
    std::string bytes;
    const exporting::ExportReport report =
        exporting::makeExporter(format, props, styles)->write(text.styled(documentPath), bytes);
    if (const int err = exporting::writeExportFile(target, bytes)) {
        QString message = texts::str(2804, "Could not save file \"%s\".").replace("%s", target);
        message += "\n\n" + QString::fromLocal8Bit(std::strerror(err));
        seams::message(parent, message, seams::MB_OK | seams::MB_ICONWARNING);
        return {};
    }
    if (report.replaced > 0)
        return texts::str(2805, "%d characters that the PDF fonts cannot show were written as \"?\".")
            .replace("%d", QString::number(qulonglong(report.replaced)));
    return {};
}

void copyAsRtf(CTextView& view, const PropSetFile& props, const std::string& lexer, const QString& documentPath)
{
    const long start = view.SendScintilla(SB::SCI_GETSELECTIONSTART);
    const long end = view.SendScintilla(SB::SCI_GETSELECTIONEND);
    if (end <= start)
        return;
    const ViewText text = readView(view, start, end, false);
    const exporting::StyleTable styles = exporting::resolveStyles(props, lexer);
    std::string bytes;
    exporting::makeExporter(exporting::Format::Rtf, props, styles)->write(text.styled(documentPath), bytes);
    auto* mime = new QMimeData;
    const QByteArray rtf(bytes.data(), qsizetype(bytes.size()));
    mime->setData(QStringLiteral("text/rtf"), rtf);
    mime->setData(QStringLiteral("application/rtf"), rtf);
    QApplication::clipboard()->setMimeData(mime);
}

} // namespace exportcmd
