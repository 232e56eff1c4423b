#include "app/SymbolCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/commands/CommandTable.h"
#include "documents/text/TextView.h"
#include "framework/widgets/PanelHost.h"
#include "language/LanguageTable.h"
#include "platform/Texts.h"
#include "search/widgets/TextSearch.h"
#include "symbols/CtagsRunner.h"
#include "symbols/widgets/FunctionDocker.h"
#include "symbols/widgets/JumpToDialog.h"

#include <QStatusBar>

namespace {
constexpr int kSymbolTab = 2;   // the side panel's third tab, "Symbol"
}

CSymbolCommands::CSymbolCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    m_docker = new symbols::CFunctionDocker;
    m_docker->setColours(frame.settings().symbolFore, frame.settings().symbolBack);
    m_docker->setRequestProvider([this](QObject* doc) { return requestFor(doc); });
    frame.shell()->panels()->panel(framework::PanelHost::Side)->setPage(kSymbolTab, m_docker);
    connect(m_docker, &symbols::CFunctionDocker::jumpRequested, this, &CSymbolCommands::jump);
    connect(m_docker, &symbols::CFunctionDocker::tagFailed, this, &CSymbolCommands::failed);
    connect(m_docker, &symbols::CFunctionDocker::searchRequested, this,
            [this] { m_frame.OnCommand(cmd::SearchSymbol); });
    // Trees made while the editor starts are shown once it has started.
    connect(&frame, &CMainFrame::deferredStartupDone, this,
            [this] { m_docker->showTree(m_frame.activeChild()); });
}

symbols::CJumpToDialog* CSymbolCommands::dialog() const
{
    return m_dialog.data();
}

std::optional<symbols::CtagsRequest> CSymbolCommands::requestFor(QObject* document) const
{
    auto* c = qobject_cast<CChildFrame*>(document);
    if (!c || c->isHex() || !c->textView() || !c->record().hasFile() || !m_frame.children().contains(c))
        return std::nullopt;
    symbols::CtagsRequest r;
    r.path = c->path();
    const int language = c->languageIndex();
    if (language >= 0 && language < m_frame.languages().Count())
        r.lexer = m_frame.languages().Entry(language).lexer;
    // Unsaved changes are tagged from the text on screen.
    if (c->isModified())
        r.text = c->textView()->text();
    m_fromText[c] = r.text.has_value();
    return r;
}

void CSymbolCommands::watch(CChildFrame* child)
{
    connect(child, &CChildFrame::saved, this, &CSymbolCommands::afterSave);
    connect(child, &QObject::destroyed, this, [this, child] { m_fromText.remove(child); });
}

void CSymbolCommands::documentOpened(CChildFrame* child)
{
    if (!child || child->isHex() || !child->textView())
        return;
    m_docker->createTree(child, !m_frame.starting() && child == m_frame.activeChild());
}

void CSymbolCommands::afterSave(CChildFrame* child)
{
    if (child->isHex() || !child->textView())
        return;
    if (m_docker->tree(child)) {
        m_docker->rebuildTree(child);
    } else {
        // A document that had no file gets its tree with its first save.
        m_docker->createTree(child, child == m_frame.activeChild());
    }
}

void CSymbolCommands::documentActivated(CChildFrame* child)
{
    // Unsaved changes, or changes undone since the tree was made from them, show anew.
    if (child && m_docker->tree(child) && (child->isModified() || m_fromText.value(child)))
        m_docker->markChanged(child);
    m_docker->showTree(child);
}

bool CSymbolCommands::onCommand(int id)
{
    if (id != cmd::SearchSymbol)
        return false;
    CChildFrame* c = m_frame.activeChild();
    if (!c || c->isHex() || !c->textView())
        return true;
    if (m_dialog)
        m_dialog->close();
    auto* d = new symbols::CJumpToDialog(&m_frame);
    d->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = d;
    connect(d, &symbols::CJumpToDialog::tagFailed, this, &CSymbolCommands::failed);
    connect(d, &symbols::CJumpToDialog::jumpRequested, this, &CSymbolCommands::jump);
    if (std::optional<symbols::CtagsRequest> r = requestFor(c))
        d->tag(std::move(*r));
    d->show();
    d->raise();
    d->activateWindow();
    return true;
}

void CSymbolCommands::jump(int line)
{
    CChildFrame* c = m_frame.activeChild();
    if (!c || c->isHex() || !c->textView())
        return;
    c->textView()->setFocus();
    search::showLine(*c->textView(), line);
}

void CSymbolCommands::failed()
{
    m_frame.statusBar()->showMessage(texts::str(1041, "Failure to parse."));
}
