// The main frame's session commands: writing the open documents to a session file and
// opening the documents of one, and the recent-files hooks.
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/AppSettings.h"
#include "app/RecentFilesMenu.h"
#include "app/Session.h"

#include "app/commands/CommandTable.h"
#include "documents/text/Markers.h"
#include "documents/text/TextView.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

namespace {

using Sci = QsciScintillaBase;

session::FileEntry entryOf(CChildFrame* c)
{
    session::FileEntry f;
    f.path = c->path();
    CTextView* v = c->textView();
    f.textView = v != nullptr;
    if (!v)
        return f;
    const long display = long(v->SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE));
    f.firstVisibleLine = long(v->SendScintilla(Sci::SCI_DOCLINEFROMVISIBLE, (unsigned long)display));
    f.xOffset = long(v->SendScintilla(Sci::SCI_GETXOFFSET));
    f.startPos = v->anchor();
    f.endPos = v->currentPos();
    for (long line = long(v->SendScintilla(Sci::SCI_MARKERNEXT, 0UL, long(textdoc::kBookmarkMask))); line >= 0;
         line = long(v->SendScintilla(Sci::SCI_MARKERNEXT, (unsigned long)(line + 1), long(textdoc::kBookmarkMask))))
        f.marks.push_back(line);
    return f;
}

void restoreView(CTextView* v, long firstLine, long xOffset, long start, long end, const std::vector<long>& marks)
{
    const long length = long(v->SendScintilla(Sci::SCI_GETLENGTH));
    v->setSel(qBound(0L, start, length), qBound(0L, end, length));
    const long lines = long(v->SendScintilla(Sci::SCI_GETLINECOUNT));
    const long display = long(v->SendScintilla(Sci::SCI_VISIBLEFROMDOCLINE, (unsigned long)qBound(0L, firstLine, lines - 1)));
    v->SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, (unsigned long)display);
    v->SendScintilla(Sci::SCI_SETXOFFSET, (unsigned long)qMax(0L, xOffset));
    for (long line : marks)
        if (line < lines)
            v->SendScintilla(Sci::SCI_MARKERADD, (unsigned long)line, long(textdoc::kBookmarkMarker));
}

} // namespace

QString CMainFrame::sessionFile() const
{
    return m_settings.Folder(AppSettings::DataFolder) + QStringLiteral("/session.xml");
}

bool CMainFrame::SaveSession(const QString& path)
{
    session::Session s;
    CChildFrame* active = activeChild();
    for (CChildFrame* c : children()) {
        // Documents without a file are not written; the index counts the documents that
        // are, so that it names the active one when the session is loaded.
        if (!c->record().hasFile())
            continue;
        if (c == active)
            s.index = int(s.files.size());
        s.files.push_back(entryOf(c));
    }
    QString error;
    if (session::writeFile(path, s, &error))
        return true;
    statusBar()->showMessage(QStringLiteral("Cannot write %1: %2").arg(path, error), 10000);
    return false;
}

bool CMainFrame::LoadSession(const QString& path)
{
    const std::optional<session::Session> s = session::readFile(path);
    if (!s) {
        if (QFileInfo::exists(path))
            statusBar()->showMessage(texts::str(2120, "%s is not a session file; it was not loaded").replace("%s", path), 10000);
        return false;
    }
    long firstLine = 0, xOffset = 0, start = 0, end = 0;
    CChildFrame* remembered = nullptr;
    QStringList missing;
    for (int n = 0; n < int(s->files.size()); ++n) {
        const session::FileEntry& f = s->files[size_t(n)];
        if (f.path.isEmpty())
            continue;
        // A file that is gone is skipped without a message box of its own.
        if (!QFileInfo::exists(f.path)) {
            missing << f.path;
            continue;
        }
        CChildFrame* c = OpenFile(f.path, 5, false);
        if (!c)
            continue;
        if (CTextView* v = c->textView()) {
            firstLine = f.firstVisibleLine.value_or(firstLine);
            xOffset = f.xOffset.value_or(xOffset);
            start = f.startPos.value_or(start);
            end = f.endPos.value_or(end);
            restoreView(v, firstLine, xOffset, start, end, f.marks);
        }
        if (n == s->index)
            remembered = c;
    }
    if (remembered)
        activateChild(remembered);
    if (!missing.isEmpty() && !m_starting)
        statusBar()->showMessage(missing.size() == 1
                                     ? texts::str(2121, "Not found: %s").replace("%s", missing.first())
                                     : texts::str(2122, "%d files of the session were not found")
                                           .replace("%d", QString::number(missing.size())),
                                 10000);
    return true;
}

void CMainFrame::saveSessionCommand()
{
    seams::FileDialogRequest req;
    req.title = texts::menu(cmd::FileSaveSession, "Sa&ve Session").remove(QLatin1Char('&'));
    req.filters = {QStringLiteral("Velmo session files (*.vsn)|*.vsn")};
    req.directory = QDir::currentPath();
    req.fileName = QStringLiteral("session.vsn");
    req.defaultSuffix = QStringLiteral("vsn");
    const seams::FileDialogResult res = seams::fileDialogs().save(this, req);
    if (res.accepted && !res.files.isEmpty())
        SaveSession(res.files.first());
}

void CMainFrame::loadSessionCommand()
{
    seams::FileDialogRequest req;
    req.title = texts::menu(cmd::FileLoadSession, "&Load Session").remove(QLatin1Char('&'));
    req.filters = {QStringLiteral("Velmo session files (*.vsn)|*.vsn")};
    req.directory = QDir::currentPath();
    const seams::FileDialogResult res = seams::fileDialogs().open(this, req);
    if (res.accepted && !res.files.isEmpty())
        LoadSession(res.files.first());
}

void CMainFrame::writeAutomaticSession()
{
    if (m_settings.editorBit(EditorBits::DontRememberFiles))
        return;
    // A session file that could not be read at start stays for the user to look at until
    // the editor closes normally.
    if (m_keepBrokenSession && !m_closePrompting)
        return;
    SaveSession(sessionFile());
}

void CMainFrame::restoreAutomaticSession()
{
    if (m_settings.editorBit(EditorBits::DontRememberFiles))
        return;
    const QString path = sessionFile();
    m_keepBrokenSession = QFileInfo::exists(path) && !LoadSession(path);
}

void CMainFrame::addToRecent(const QString& path)
{
    m_recent->add(path);
}

void CMainFrame::SetRecentSize(int n)
{
    m_recent->setSize(n);
}

const RecentFiles& CMainFrame::recentFiles() const
{
    return m_recent->list();
}

void CMainFrame::openRecent(int id)
{
    m_recent->onCommand(id, [this](const QString& path) { return OpenFile(path, 5, true) != nullptr; });
}
