#include "app/ChildFrame.h"
#include "app/AppSettings.h"
#include "app/MainFrame.h"

#include "app/ExportCommands.h"
#include "app/commands/CommandTable.h"
#include "app/commands/DocumentCommands.h"
#include "app/commands/MenuModel.h"
#include "documents/hex/CHexView.h"
#include "documents/text/Assist.h"
#include "documents/text/Encoding.h"
#include "documents/text/OutsideChanges.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"
#include "language/LanguageSwitch.h"
#include "platform/Paths.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QCloseEvent>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

CChildFrame::CChildFrame(CMainFrame& frame) : QWidget(nullptr), m_frame(frame)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
}

CChildFrame::~CChildFrame() = default;

QWidget* CChildFrame::view() const
{
    if (m_hex)
        return m_hex;
    return m_text;
}

void CChildFrame::setView(QWidget* view)
{
    if (QWidget* old = this->view()) {
        m_layout->removeWidget(old);
        old->deleteLater();
    }
    m_text = qobject_cast<CTextView*>(view);
    m_hex = qobject_cast<CHexView*>(view);
    m_doc.isHex = m_hex != nullptr;
    m_layout->addWidget(view);
    setFocusProxy(view);
}

CTextView* CChildFrame::createTextView()
{
    auto* v = new CTextView(this);
    setView(v);
    m_frame.watchDrops(v->viewport());
    connect(v, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, &CChildFrame::updateState);
    connect(v, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, &CChildFrame::updateState);
    connect(v, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { emit statusChanged(this); });
    connect(v, &QsciScintillaBase::SCEN_CHANGE, this, [this] { emit textChanged(this); });
    connect(v, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int, int, const char*, int, int, int, int, int, int, int) { emit statusChanged(this); });
    // The view's options live in the view; the language state keeps a copy for re-applying.
    connect(v, &CTextView::viewFlagsChanged, this, [this](unsigned flags) { m_language.viewFlags = flags; });
    connect(v, &CTextView::syntaxHighlightRequested, this, [this] {
        if (languageIndex() >= 0)
            applyLanguage(languageIndex(), true);
    });
    connect(v, &CTextView::contextMenuRequested, this,
            [this](const QPoint& at) { m_frame.showContextMenu(cmd::TextViewMenu, at); });
    return v;
}

CHexView* CChildFrame::createHexView()
{
    auto* v = new CHexView(this);
    setView(v);
    m_frame.watchDrops(v);
    v->setSchemeFont(m_frame.schemeFont());
    connect(v, &CHexView::statusChanged, this, [this](const QString&) { emit statusChanged(this); });
    connect(v, &CHexView::modifiedChanged, this, [this](bool) { updateState(); });
    return v;
}

LanguageInputs CChildFrame::languageInputs() const
{
    const AppSettings& s = m_frame.settings();
    LanguageInputs in;
    in.editorMask = s.editorMask;
    in.tabSize = s.tabSize;
    in.indentSize = s.indentSize;
    in.highlightColor = uint32_t(s.highLightColor);
    in.lineEdgeColor = uint32_t(s.lineEdgeColor);
    in.lineEdgePos = s.lineEdgePos;
    in.lineTransparent = s.lineTransparent;
    in.defaultStyle = m_frame.fontScheme();
    // Every document is held in the component as UTF-8, ANSI ones included.
    in.unicode = true;
    return in;
}

void CChildFrame::applyLanguage(int index, bool reapply)
{
    if (!m_text)
        return;
    LanguageTable& table = m_frame.languages();
    LanguageInputs in = languageInputs();
    if (reapply) {
        in.viewFlags = int(m_text->viewFlags());
        m_language = styling::ReapplyLanguage(m_text, table, index, in);
    } else {
        const std::string name = m_doc.hasFile()
            ? paths::pathPart(m_doc.path, paths::FileName).toStdString() : std::string();
        m_language = styling::ApplyLanguage(m_text, table, index, name, in);
    }
    m_text->setLanguageIndex(index);
    m_text->setViewFlags(m_language.viewFlags);
    m_text->assist().configure(
        assist::configFrom(m_language, table.Props(), m_frame.settings().Folder(AppSettings::PropertiesFolder)));
}

int CChildFrame::languageIndex() const
{
    return m_text ? m_text->languageIndex() : -1;
}

void CChildFrame::applyFontScheme()
{
    if (m_text && m_text->languageIndex() >= 0)
        styling::ApplyStyles(m_text, m_frame.languages(), m_language, m_frame.fontScheme());
    if (m_hex)
        m_hex->setSchemeFont(m_frame.schemeFont());
}

void CChildFrame::newDocument()
{
    CTextView* v = createTextView();
    textdoc::newDocument(m_doc, *v, m_frame.settings().defaultEncoding);
    applyLanguage(m_frame.languages().LanguageForNewDocument(m_frame.settings().defaultScheme), false);
    updateState();
}

void CChildFrame::restoreText(const QString& path, int encoding, int eolMode, int savedEncoding, const std::string& text)
{
    CTextView* v = m_text ? m_text : createTextView();
    v->setReadOnly(false);
    v->setUndoCollection(false);
    v->clearAll();
    v->setEncoding(encoding);
    v->setEolMode(eolMode);
    v->addText(text);
    v->setUndoCollection(true);
    v->emptyUndoBuffer();
    v->setSavePoint();
    // One empty step away from the save point, so the view (and the tab's icon) shows the
    // text as not saved, while Undo never takes the recovered text away.
    v->beginUndoAction();
    v->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0UL, " ");
    v->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, 0UL, 1L);
    v->endUndoAction();
    m_doc = textdoc::DocumentRecord{};
    m_doc.path = path;
    textdoc::syncWithDisk(m_doc);
    m_doc.savedEncoding = savedEncoding;
    m_doc.fileReadOnly = m_doc.hasFile() && textdoc::isFileReadOnly(path);
    // What is shown is not what the file (if any) holds: the document counts as modified
    // until it is saved.
    m_doc.changedOutside = true;
    applyLanguage(m_doc.hasFile() ? m_frame.languages().FindLanguage(path)
                                  : m_frame.languages().LanguageForNewDocument(m_frame.settings().defaultScheme),
                  true);
    v->setSel(0, 0);
    updateState();
}

bool CChildFrame::loadHex(const QString& path, int* error)
{
    CHexView* v = createHexView();
    QString message;
    if (!v->load(path, &message)) {
        if (error)
            *error = errno ? errno : EIO;
        return false;
    }
    m_doc.path = path;
    textdoc::syncWithDisk(m_doc);
    m_doc.fileReadOnly = textdoc::isFileReadOnly(path);
    v->setReadOnly(m_doc.fileReadOnly || m_doc.docReadOnly);
    return true;
}

bool CChildFrame::load(const QString& path, int openMode, int* error)
{
    bool ok;
    if (openMode == 6) {
        ok = loadHex(path, error);
    } else {
        CTextView* v = createTextView();
        textdoc::IoResult r = textdoc::loadDocument(m_doc, *v, path, openMode);
        ok = r.ok;
        if (!ok && error)
            *error = r.error;
        if (ok)
            applyLanguage(m_frame.languages().FindLanguage(path), false);
    }
    updateState();
    return ok;
}

bool CChildFrame::save()
{
    if (!m_doc.hasFile())
        return saveAs();
    bool ok;
    if (m_hex) {
        ok = m_hex->save();
        if (ok)
            textdoc::syncWithDisk(m_doc);
    } else {
        ok = textdoc::saveDocument(m_doc, *m_text, this);
    }
    updateState();
    if (ok)
        emit saved(this);
    return ok;
}

bool CChildFrame::saveAs()
{
    seams::FileDialogRequest req;
    req.title = texts::menu(107, "Save As");
    req.filters = m_frame.fileFilters();
    req.directory = m_frame.saveFolder();
    if (m_doc.hasFile())
        req.fileName = m_doc.path;
    seams::FileDialogResult res = seams::fileDialogs().save(m_frame.dialogParent(), req);
    if (!res.accepted || res.files.isEmpty())
        return false;
    const QString target = res.files.first();
    bool ok;
    if (m_hex) {
        // The hex view writes a copy with its edits and goes on with the copy.
        ok = m_hex->saveAs(target);
        if (ok) {
            m_doc.path = target;
            textdoc::syncWithDisk(m_doc);
            // The copy's own attribute counts from now on.
            m_doc.fileReadOnly = textdoc::isFileReadOnly(target);
            m_hex->setReadOnly(m_doc.fileReadOnly || m_doc.docReadOnly);
        }
    } else {
        ok = textdoc::saveDocumentAs(m_doc, *m_text, target, this);
        if (ok)
            applyLanguage(m_frame.languages().FindLanguage(m_doc.path), true);
    }
    if (ok)
        m_frame.addToRecent(m_doc.path);
    updateState();
    if (ok)
        emit saved(this);
    return ok;
}

bool CChildFrame::reload()
{
    if (!m_doc.hasFile())
        return false;
    bool ok;
    if (m_hex) {
        int err = 0;
        ok = loadHex(m_doc.path, &err);
        if (!ok)
            textdoc::showOpenFailure(this, m_doc.path, err);
    } else {
        ok = textdoc::reloadDocument(m_doc, *m_text, this);
    }
    updateState();
    if (ok)
        emit saved(this);
    return ok;
}

bool CChildFrame::isModified() const
{
    if (m_hex)
        return textdoc::isModified(m_doc, m_hex->isModified());
    return m_text && textdoc::isModified(m_doc, *m_text);
}

QString CChildFrame::title() const
{
    return m_doc.title(m_frame.settings().editorBit(EditorBits::ShowFullPath));
}

int CChildFrame::tabIcon() const
{
    if (m_hex)
        return textdoc::tabIcon(m_doc, m_hex->isModified());
    return m_text ? textdoc::tabIcon(m_doc, *m_text) : 0;
}

bool CChildFrame::querySave()
{
    if (!isModified())
        return true;
    // No file check starts while the question is up.
    const QScopedValueRollback<bool> busy(m_checking, true);
    const QString text = texts::str(1050, "Save changes to: %s?").replace(QLatin1String("%s"), title());
    switch (seams::message(m_frame.dialogParent(), text, seams::MB_YESNOCANCEL | seams::MB_ICONWARNING)) {
    case seams::IDYES: return save();
    case seams::IDNO: return true;
    default: return false;
    }
}

bool CChildFrame::checkFile(bool silent)
{
    if (m_closing || m_checking)
        return false;
    m_checking = true;
    const textdoc::OutsideChange r = textdoc::checkOutsideChange(
        m_doc, silent, isModified(), m_frame.dialogParent(), [this] { return reload(); });
    m_checking = false;
    if (r == textdoc::OutsideChange::Missing)
        m_frame.statusBar()->showMessage(textdoc::missingFileText(m_doc.path));
    if (r != textdoc::OutsideChange::None)
        updateState();
    return r != textdoc::OutsideChange::None;
}

void CChildFrame::postCheckFile()
{
    if (m_checkPosted)
        return;
    m_checkPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_checkPosted = false;
        // A document taken out of the document area is closing: it is not checked.
        auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
        if (sub && sub->mdiArea())
            checkFile(false);
    });
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_closing && !querySave()) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}

bool CChildFrame::chooseLanguage(int command)
{
    LanguageTable& table = m_frame.languages();
    const int index = table.IndexForCommand(command);
    if (index == -2)
        return false;
    const lang::SwitchPlan plan =
        lang::PlanLanguageSwitch({m_doc.isHex, languageIndex(), isModified(), m_doc.hasFile()}, index);
    switch (plan.action) {
    case lang::SwitchAction::Nothing:
        return true;
    case lang::SwitchAction::Reapply:
        applyLanguage(index, true);
        return true;
    case lang::SwitchAction::ToHex:
    case lang::SwitchAction::ToText:
        break;
    }
    const bool wantHex = plan.action == lang::SwitchAction::ToHex;
    const QString path = m_doc.path;
    if (!wantHex && QFileInfo(path).size() > textdoc::kMaxTextFileSize) {
        const QString text = texts::str(2101, "%s is larger than 50 MiB and can only be shown in the hex view.")
                                 .replace(QLatin1String("%s"), title());
        seams::message(m_frame.dialogParent(), text, seams::MB_OK | seams::MB_ICONWARNING);
        return true;
    }
    // Switching views reloads from disk: unsaved edits are saved first or the switch
    // does not happen.
    if (plan.askToSaveFirst) {
        const QString text = texts::str(1050, "Save changes to: %s?").replace(QLatin1String("%s"), title());
        int answer = seams::message(m_frame.dialogParent(), text, seams::MB_YESNOCANCEL | seams::MB_ICONWARNING);
        if (answer == seams::IDCANCEL || (answer == seams::IDYES && !save()))
            return true;
    }
    int err = 0;
    bool ok;
    if (wantHex) {
        ok = loadHex(path, &err);
    } else {
        CTextView* v = createTextView();
        textdoc::IoResult r = textdoc::loadDocument(m_doc, *v, path, textdoc::OpenAutomatic);
        ok = r.ok;
        err = r.error;
        if (ok) {
            // The chosen language, looked up by its first pattern rather than the file's name.
            m_language = styling::ApplyLanguage(v, table, index, {}, languageInputs());
            v->setLanguageIndex(index);
            v->assist().configure(
                assist::configFrom(m_language, table.Props(), m_frame.settings().Folder(AppSettings::PropertiesFolder)));
        } else {
            // An empty text view under the file's name could later be saved over the
            // file: the document goes back to the hex view.
            int ignored = 0;
            loadHex(path, &ignored);
        }
    }
    if (!ok)
        textdoc::showOpenFailure(this, path, err);
    updateState();
    if (QWidget* v = view())
        v->setFocus();
    return true;
}

void CChildFrame::placeCaret(int line, int column)
{
    if (!m_text)
        return;
    if (line < 0)
        line = 0;
    m_text->ensureVisibleEnforcePolicy(line);
    long pos = long(m_text->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, (unsigned long)line));
    if (pos < 0)
        pos = m_text->length();
    if (column > 1) {
        const long end = long(m_text->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION,
                                                   (unsigned long)m_text->lineFromPosition(pos)));
        long target = m_text->positionRelative(pos, column - 1);
        if (target == 0 || target > end)   // past the text or the line: stop at the line end
            target = end;
        pos = target;
    }
    m_text->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)pos);
}

bool CChildFrame::onCommand(int id, bool)
{
    // The document's own commands; everything else goes to the view.
    switch (id) {
    case cmd::FileSave: save(); return true;
    case cmd::FileSaveAs: saveAs(); return true;
    case cmd::FileReload: reload(); return true;
    case cmd::FileClose: closeDocument(); return true;
    case cmd::ToolMonitorClipboard:
        if (!m_text)
            break;
        setMonitorClipboard(!m_monitorClipboard);
        return true;
    case cmd::ToolOpenByDefaultApp:
    case cmd::ToolOpenContainingFolder:
        if (m_doc.hasFile()) {
            // The desktop's default application for the file, or its folder.
            const QString target = id == cmd::ToolOpenByDefaultApp ? m_doc.path : paths::pathPart(m_doc.path, paths::Folder);
            cmd::openUrl(QUrl::fromLocalFile(target));
        }
        return true;
    case cmd::EditCopyFileName: case cmd::EditCopyFilePath: case cmd::EditCopyFullPath: {
        // A document without a file copies "<new>" as its name.
        const int part = id == cmd::EditCopyFileName ? paths::FileName
                         : id == cmd::EditCopyFilePath ? paths::Folder : paths::FullPath;
        const QString text = m_doc.hasFile() ? paths::pathPart(m_doc.path, part)
                             : part == paths::Folder ? QString() : QStringLiteral("<new>");
        QApplication::clipboard()->setText(text);
        return true;
    }
    case cmd::FileExportHtml: case cmd::FileExportRtf: case cmd::FileExportPdf: case cmd::FileExportLatex: {
        exporting::Format format;
        if (!m_text || !exportcmd::formatOfCommand(id, format))
            return true;
        const QString status = exportcmd::exportDocument(m_frame.dialogParent(), *m_text, m_frame.languages().Props(),
                                                         m_language.lexer, m_doc.path, m_frame.saveFolder(), format);
        if (!status.isEmpty())
            m_frame.statusBar()->showMessage(status);
        return true;
    }
    case cmd::EditCopyRtf:
        if (m_text)
            exportcmd::copyAsRtf(*m_text, m_frame.languages().Props(), m_language.lexer, m_doc.path);
        return true;
    case cmd::EditBlockComment: case cmd::EditBoxComment: case cmd::EditStreamComment:
        if (!m_doc.hasFile())
            return true;   // comments need the file's language settings
        break;
    default: break;
    }
    if (id >= cmd::DocEncodeAnsi && id <= cmd::DocClearReadOnly && m_text) {
        textdoc::runDocumentCommand(m_doc, *m_text, id);
        updateState();
        emit statusChanged(this);
        return true;
    }
    if ((id == cmd::DocReadOnly || id == cmd::DocClearReadOnly) && m_hex) {
        if (id == cmd::DocReadOnly && !m_doc.fileReadOnly)
            m_doc.docReadOnly = !m_doc.docReadOnly;
        else if (id == cmd::DocClearReadOnly && m_doc.fileReadOnly && m_doc.hasFile()
                 && textdoc::clearFileReadOnly(m_doc.path))
            m_doc.fileReadOnly = false;
        m_hex->setReadOnly(m_doc.fileReadOnly || m_doc.docReadOnly);
        updateState();
        return true;
    }
    if (m_text && m_text->command(id)) {
        emit statusChanged(this);
        return true;
    }
    if (m_hex && m_hex->command(id))
        return true;
    return false;
}

void CChildFrame::setMonitorClipboard(bool on)
{
    if (on == m_monitorClipboard)
        return;
    m_monitorClipboard = on;
    QClipboard* clip = QApplication::clipboard();
    if (on)
        m_clipboardConnection = connect(clip, &QClipboard::dataChanged, this, &CChildFrame::clipboardChanged);
    else
        disconnect(m_clipboardConnection);
}

void CChildFrame::clipboardChanged()
{
    // Every new text on the clipboard goes in at the caret as one undoable step.
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!m_text || !mime || !mime->hasText() || m_text->isReadOnly())
        return;
    QByteArray bytes = mime->text().toUtf8();
    m_text->beginUndoAction();
    const long at = m_text->currentPos();
    m_text->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, (unsigned long)at, bytes.constData());
    m_text->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, (unsigned long)(at + bytes.size()));
    m_text->endUndoAction();
}

bool CChildFrame::closeDocument()
{
    // The document's window closes with it; the close asks about unsaved changes.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub->close();
    return close();
}

void CChildFrame::updateState()
{
    emit stateChanged(this);
    emit statusChanged(this);
}
