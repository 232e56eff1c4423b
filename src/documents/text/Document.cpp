#include "documents/text/Document.h"

#include "documents/text/Encoding.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

namespace textdoc {
namespace {

// Replaces each "%s" of the template, left to right, with the next argument; the
// arguments themselves are never scanned.
QString fill(const QString& templ, std::initializer_list<QString> args)
{
    QString out;
    auto arg = args.begin();
    for (qsizetype i = 0; i < templ.size(); ++i) {
        if (templ[i] == QLatin1Char('%') && i + 1 < templ.size() && templ[i + 1] == QLatin1Char('s')
            && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += templ[i];
        }
    }
    return out;
}

void applyReadOnly(const DocumentRecord& doc, CTextView& view)
{
    view.setReadOnly(doc.fileReadOnly || doc.docReadOnly);
}

} // namespace

QString DocumentRecord::title(bool showFullPath) const
{
    return showFullPath ? path : paths::pathPart(path, paths::FileName);
}

bool isModified(const DocumentRecord& doc, bool viewModified)
{
    return viewModified || doc.changedOutside;
}

namespace {
bool textModified(const DocumentRecord& doc, const CTextView& view)
{
    return view.isModified() || (doc.savedEncoding >= 0 && view.encoding() != doc.savedEncoding);
}
} // namespace

bool isModified(const DocumentRecord& doc, const CTextView& view)
{
    return isModified(doc, textModified(doc, view));
}

int tabIcon(const DocumentRecord& doc, bool viewModified)
{
    if (doc.docReadOnly || doc.fileReadOnly)
        return 2;
    return viewModified ? 1 : 0;
}

int tabIcon(const DocumentRecord& doc, const CTextView& view)
{
    return tabIcon(doc, textModified(doc, view));
}

QString openFailureText(const QString& path, int error)
{
    return fill(texts::str(1034, "Open file failure.\n%s\n\n%s"), {path, systemErrorText(error)});
}

QString saveFailureText(const QString& path, int error)
{
    return fill(texts::str(1036, "Save file failure.\n%s\n\n%s"), {path, systemErrorText(error)});
}

void showOpenFailure(QWidget* parent, const QString& path, int error)
{
    seams::message(parent, openFailureText(path, error), seams::MB_OK | seams::MB_ICONERROR);
}

void showSaveFailure(QWidget* parent, const QString& path, int error)
{
    seams::message(parent, saveFailureText(path, error), seams::MB_OK | seams::MB_ICONERROR);
}

QString lossyAnsiSaveText(const QString& path)
{
    return fill(texts::str(2100, "%s holds characters that the ANSI code page cannot represent; saved as ANSI, "
                                 "each of them becomes \"?\".\n\n"
                                 "Save it as UTF-8 instead?\n\n"
                                 "Yes: save as UTF-8 (without byte-order mark)\n"
                                 "No: save as ANSI with \"?\"\n"
                                 "Cancel: do not save"),
                {paths::pathPart(path, paths::FileName)});
}

namespace {

// The step before writing an ANSI document: false when the user cancels. Yes relabels
// the document as UTF-8 without mark (its text is UTF-8 already); *relabelled tells.
bool confirmAnsiSave(CTextView& view, const QString& path, QWidget* parent, bool* relabelled)
{
    *relabelled = false;
    if (view.encoding() != EncAnsi || unmappableCharacters(view) == 0)
        return true;
    switch (seams::message(parent, lossyAnsiSaveText(path), seams::MB_YESNOCANCEL | seams::MB_ICONWARNING)) {
    case seams::IDYES:
        view.setEncoding(EncUtf8NoBom);
        *relabelled = true;
        return true;
    case seams::IDNO:
        return true;
    default:
        return false;
    }
}

// Writes the view to `path` after the ANSI question; a failed write shows message 1036
// and takes back a relabelling.
bool writeDocument(CTextView& view, const QString& path, QWidget* parent)
{
    bool relabelled = false;
    if (!confirmAnsiSave(view, path, parent, &relabelled))
        return false;
    IoResult r = saveText(view, path);
    if (!r) {
        if (relabelled)
            view.setEncoding(EncAnsi);
        showSaveFailure(parent, path, r.error);
        return false;
    }
    return true;
}

} // namespace

void newDocument(DocumentRecord& doc, CTextView& view, int defaultEncoding)
{
    doc = DocumentRecord{};
    view.setReadOnly(false);
    view.setUndoCollection(false);
    view.clearAll();
    view.setUndoCollection(true);
    view.emptyUndoBuffer();
    view.setEncoding(isValidEncoding(defaultEncoding) ? defaultEncoding : EncAnsi);
    view.setEolMode(EolCrLf);
    view.setSavePoint();
    doc.savedEncoding = view.encoding();
}

IoResult loadDocument(DocumentRecord& doc, CTextView& view, const QString& path, int openMode)
{
    doc.path = path;
    syncWithDisk(doc);
    IoResult r = loadText(view, path, openMode, LoadKind::Open);
    if (!r)
        return r;
    doc.savedEncoding = view.encoding();
    doc.fileReadOnly = isFileReadOnly(path);
    applyReadOnly(doc, view);
    return r;
}

void syncWithDisk(DocumentRecord& doc)
{
    doc.fileStamp = fileStamp(doc.path);
    doc.changedOutside = false;
}

bool saveDocument(DocumentRecord& doc, CTextView& view, QWidget* parent)
{
    if (!doc.hasFile())
        return false;
    if (!writeDocument(view, doc.path, parent))
        return false;
    doc.savedEncoding = view.encoding();
    syncWithDisk(doc);
    return true;
}

bool saveDocumentAs(DocumentRecord& doc, CTextView& view, const QString& newPath, QWidget* parent)
{
    if (!writeDocument(view, newPath, parent))
        return false;
    doc.savedEncoding = view.encoding();
    doc.path = newPath;
    syncWithDisk(doc);
    // The new file's own attribute counts from now on.
    doc.fileReadOnly = isFileReadOnly(newPath);
    applyReadOnly(doc, view);
    return true;
}

bool reloadDocument(DocumentRecord& doc, CTextView& view, QWidget* parent)
{
    if (!doc.hasFile())
        return false;
    IoResult r = reloadText(view, doc.path);
    if (!r) {
        showOpenFailure(parent, doc.path, r.error);
        return false;
    }
    doc.savedEncoding = view.encoding();
    syncWithDisk(doc);
    return true;
}

CommandState documentCommandState(const DocumentRecord& doc, const CTextView& view, int command)
{
    CommandState s;
    switch (command) {
    case CmdEncodeAnsi:
    case CmdEncodeUnicodeBE:
    case CmdEncodeUnicode:
    case CmdEncodeUtf8:
    case CmdEncodeUtf8NoBom:
        s.enabled = true;
        s.checked = view.encoding() == command - CmdEncodeAnsi;
        break;
    case CmdEolWindows: s.enabled = view.eolMode() != EolCrLf; break;
    case CmdEolUnix: s.enabled = view.eolMode() != EolLf; break;
    case CmdEolMac: s.enabled = view.eolMode() != EolCr; break;
    case CmdReadOnly:
        s.enabled = !doc.fileReadOnly;
        s.checked = doc.docReadOnly;
        break;
    case CmdClearReadOnlyAttribute: s.enabled = doc.fileReadOnly; break;
    default: break;
    }
    return s;
}

bool runDocumentCommand(DocumentRecord& doc, CTextView& view, int command)
{
    switch (command) {
    case CmdEncodeAnsi:
    case CmdEncodeUnicodeBE:
    case CmdEncodeUnicode:
    case CmdEncodeUtf8:
    case CmdEncodeUtf8NoBom:
        return changeEncoding(view, command - CmdEncodeAnsi);
    case CmdEolWindows: return convertLineEnds(view, EolCrLf);
    case CmdEolUnix: return convertLineEnds(view, EolLf);
    case CmdEolMac: return convertLineEnds(view, EolCr);
    case CmdReadOnly: return toggleDocumentReadOnly(doc, view);
    case CmdClearReadOnlyAttribute: return clearReadOnlyAttribute(doc, view);
    default: return false;
    }
}

bool toggleDocumentReadOnly(DocumentRecord& doc, CTextView& view)
{
    if (doc.fileReadOnly)
        return false;
    doc.docReadOnly = !doc.docReadOnly;
    applyReadOnly(doc, view);
    return true;
}

bool clearReadOnlyAttribute(DocumentRecord& doc, CTextView& view)
{
    if (!doc.fileReadOnly || !doc.hasFile())
        return false;
    if (!clearFileReadOnly(doc.path))
        return false;
    doc.fileReadOnly = false;
    applyReadOnly(doc, view);
    return true;
}

} // namespace textdoc
