#include "app/SearchCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/commands/CommandTable.h"
#include "app/commands/CommandUi.h"
#include "documents/text/TextView.h"
#include "framework/widgets/PanelHost.h"
#include "platform/Seams.h"
#include "platform/Texts.h"
#include "search/FindInFilesWorker.h"
#include "search/widgets/FindInFilesDialog.h"
#include "search/widgets/FindView.h"
#include "search/widgets/SearchDialog.h"
#include "search/widgets/TextSearch.h"

#include <QToolButton>
#include <QComboBox>
#include <QFileInfo>
#include <QStatusBar>



CSearchCommands::CSearchCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    framework::DockPanel* bottom = frame.shell()->panels()->panel(framework::PanelHost::Bottom);
    const AppSettings& s = frame.settings();
    for (int i = 0; i < 2; ++i) {
        auto* view = new search::CFindView(i);
        view->setColours(i == 0 ? s.find1Fore : s.find2Fore, i == 0 ? s.find1Back : s.find2Back);
        connect(view, &search::CFindView::jumpRequested, this, &CSearchCommands::jump);
        connect(view, &search::CFindView::statusText, this,
                [this](const QString& t) { m_frame.statusBar()->showMessage(t); });
        bottom->setPage(1 + i, view);   // tabs 1 and 2: "Find Result 1" and "Find Result 2"
        m_views[i] = view;
    }
}

bool CSearchCommands::onCommand(int id)
{
    switch (id) {
    case cmd::SearchFind: openDialog(search::SearchDialog::Find); return true;
    case cmd::SearchReplace: openDialog(search::SearchDialog::Replace); return true;
    case cmd::SearchFindNext: findNext(false); return true;
    case cmd::SearchFindPrevious: findNext(true); return true;
    case cmd::SearchFindNextWord: findWord(false); return true;
    case cmd::SearchFindPrevWord: findWord(true); return true;
    case cmd::SearchAddMark: addMark(); return true;
    case cmd::SearchFindInFiles: openFindInFiles(); return true;
    default: return false;
    }
}

bool CSearchCommands::dialogOpen() const
{
    return (m_find && m_find->isVisible()) || (m_replace && m_replace->isVisible())
        || (m_findInFiles && m_findInFiles->isVisible());
}

search::SearchDialog* CSearchCommands::dialog(int kind) const
{
    return kind == search::SearchDialog::Find ? m_find.data() : m_replace.data();
}

void CSearchCommands::openDialog(int kind)
{
    if (!m_frame.activeChild())
        return;
    QPointer<search::SearchDialog>& d = kind == search::SearchDialog::Find ? m_find : m_replace;
    if (!d)
        d = new search::SearchDialog(search::SearchDialog::Kind(kind), *this, m_frame.settings().search, &m_frame);
    QString word;
    bool haveWord = false;
    if (QsciScintillaBase* v = activeTextView())
        haveWord = search::takeSearchWord(*v, &word);
    d->prefill(word, haveWord);
    d->show();
    d->raise();
    d->activateWindow();
    d->findCombo()->setFocus();
    searchDialogsChanged();
}

void CSearchCommands::openFindInFiles()
{
    if (!m_findInFiles) {
        m_findInFiles = new search::FindInFilesDialog(m_frame.settings().search, &m_frame);
        connect(m_findInFiles, &search::FindInFilesDialog::findRequested, this, &CSearchCommands::startFindInFiles);
        connect(m_findInFiles, &search::FindInFilesDialog::closed, this, &CSearchCommands::searchDialogsChanged);
    }
    QString word;
    bool haveWord = false;
    if (QsciScintillaBase* v = activeTextView())
        haveWord = search::takeSearchWord(*v, &word);
    CChildFrame* active = m_frame.activeChild();
    m_findInFiles->prefill(word, haveWord, active ? active->path() : QString());
    m_findInFiles->show();
    m_findInFiles->raise();
    m_findInFiles->activateWindow();
    m_findInFiles->findCombo()->setFocus();
    searchDialogsChanged();
}

void CSearchCommands::startFindInFiles()
{
    search::SearchOptions& o = m_frame.settings().search;
    if (o.findText.isEmpty())
        return;
    const int index = o.has(search::Mask::ResultWindow2) ? 1 : 0;
    search::FindInFilesJob job;
    job.findText = o.findText;
    job.flags = o.flags;
    job.filter = o.fileFilter;
    job.folder = o.folder;
    bool ok = false;
    const qint64 limit = m_frame.settings().ReadString("SEARCH", "MaxFileSize").trimmed().toLongLong(&ok);
    job.maxFileSize = ok && limit >= 0 ? limit : search::kDefaultMaxFileSize;

    // A new search into the same view ends the one filling it; that one finishes on its own.
    if (search::FindInFilesWorker* old = m_searches[index]) {
        disconnect(old, nullptr, this, nullptr);
        disconnect(old, nullptr, m_views[index], nullptr);
        old->abort();
        if (old->finished())
            delete old;
        else
            connect(old, &search::FindInFilesWorker::done, old, &QObject::deleteLater);
    }
    search::CFindView* view = showResultView(index);
    view->clear();
    view->abortFlag() = 0;
    view->beginSearch();
    o.occurrenceCount = 0;
    o.fileCount = 0;

    auto* worker = new search::FindInFilesWorker(job, this);
    m_searches[index] = worker;
    connect(worker, &search::FindInFilesWorker::linesReady, view,
            [view](std::vector<search::FindResultLine>& batch) { view->appendLines(std::move(batch)); });
    connect(worker, &search::FindInFilesWorker::progress, this,
            [this](const QString& path) { m_frame.statusBar()->showMessage(path); });
    connect(worker, &search::FindInFilesWorker::done, view, [this, view, worker](const QString& text) {
        search::SearchOptions& opts = m_frame.settings().search;
        opts.occurrenceCount = worker->counts().occurrences;
        opts.fileCount = worker->counts().files;
        view->endSearch(text);
    });
    connect(view->abortButton(), &QAbstractButton::clicked, worker, &search::FindInFilesWorker::abort);
    worker->start();
}

void CSearchCommands::stopFindInFiles()
{
    const QList<search::FindInFilesWorker*> workers = findChildren<search::FindInFilesWorker*>(Qt::FindDirectChildrenOnly);
    for (search::FindInFilesWorker* w : workers)
        w->abort();
    for (search::FindInFilesWorker* w : workers)
        delete w;   // joins its thread
}

void CSearchCommands::findNext(bool reverse)
{
    QsciScintillaBase* v = activeTextView();
    if (!v)
        return;   // a hex view is never searched
    search::SearchOptions& o = m_frame.settings().search;
    if (o.findText.isEmpty()) {
        openDialog(search::SearchDialog::Find);
        return;
    }
    o.owner = &m_frame;
    const int r = reverse ? search::findPrevious(*v, o) : search::findNext(*v, o);
    if (r == search::FindNotFound)
        seams::message(&m_frame, texts::str(1191, "Cannot find string '%s'.").replace(QLatin1String("%s"), o.findText),
                       texts::str(1, "Velmo"), seams::MB_OK);
}

void CSearchCommands::findWord(bool reverse)
{
    QsciScintillaBase* v = activeTextView();
    if (!v)
        return;
    QString word;
    if (!search::takeSearchWord(*v, &word)) {
        openDialog(search::SearchDialog::Find);
        return;
    }
    m_frame.settings().search.setFindText(word);
    findNext(reverse);
}

void CSearchCommands::addMark()
{
    QsciScintillaBase* v = activeTextView();
    QString word;
    if (!v || !search::takeSearchWord(*v, &word))
        return;
    search::SearchOptions& o = m_frame.settings().search;
    const QString saved = o.findText;
    o.setFindText(word);
    search::markAll(*v, o, false);
    o.findText = saved;
}

QsciScintillaBase* CSearchCommands::activeTextView()
{
    CChildFrame* c = m_frame.activeChild();
    return c && !c->isHex() ? c->textView() : nullptr;
}

search::SearchHost::TextDocument CSearchCommands::documentOf(CChildFrame* c) const
{
    TextDocument d;
    if (c && !c->isHex() && c->textView()) {
        d.view = c->textView();
        d.name = c->path();
        d.document = c;
    }
    return d;
}

std::vector<search::SearchHost::TextDocument> CSearchCommands::textDocuments()
{
    std::vector<TextDocument> out;
    for (CChildFrame* c : m_frame.children())
        if (TextDocument d = documentOf(c); d.view)
            out.push_back(d);
    return out;
}

search::SearchHost::TextDocument CSearchCommands::activeTextDocument()
{
    return documentOf(m_frame.activeChild());
}

search::CFindView* CSearchCommands::showResultView(int index)
{
    framework::PanelHost* panels = m_frame.shell()->panels();
    panels->setShown(framework::PanelHost::Bottom, true);
    panels->panel(framework::PanelHost::Bottom)->selectId(1 + (index & 1));
    return m_views[index & 1];
}

bool CSearchCommands::closeDialogAfterFind()
{
    return m_frame.settings().editorBit(EditorBits::CloseFindDialog);
}

void CSearchCommands::searchDialogsChanged()
{
    m_frame.commandUi()->refreshToolbar();
}

void CSearchCommands::jump(const search::FindResultLine& line)
{
    CChildFrame* c = nullptr;
    if (QFileInfo(line.file).isFile()) {
        c = m_frame.OpenFile(line.file, 5, true);
    } else if (auto* doc = qobject_cast<CChildFrame*>(line.document.data())) {
        if (m_frame.children().contains(doc)) {
            m_frame.activateChild(doc);
            c = doc;
        }
    }
    if (!c) {
        m_frame.statusBar()->showMessage(
            texts::str(1194, "Cannot locate file %s.").replace(QLatin1String("%s"), line.file));
        return;
    }
    if (c->isHex() || !c->textView())
        return;
    c->textView()->setFocus();
    search::showLine(*c->textView(), line.line);
}
