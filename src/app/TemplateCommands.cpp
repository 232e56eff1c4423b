#include "app/TemplateCommands.h"

#include "app/AppSettings.h"
#include "app/ChildFrame.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/commands/CommandTable.h"
#include "documents/text/TextView.h"
#include "framework/widgets/PanelHost.h"
#include "templates/widgets/AutoListBox.h"

CTemplateCommands::CTemplateCommands(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_settings(frame.settings())
{
    const AppSettings& s = frame.settings();
    m_docker = new templates::CTemplateDocker(s.Folder(AppSettings::DataFolder) + QStringLiteral("/velmo.db"), *this,
                                              &frame);
    m_docker->setColours(s.templateFore, s.templateBack);
    m_group = m_docker->currentGroup();
    connect(m_docker, &templates::CTemplateDocker::groupChanged, this, [this](const QString& g) { m_group = g; });
    frame.shell()->panels()->panel(framework::PanelHost::Side)->setPage(1, m_docker);   // tab 1: "Template"
}

CTemplateCommands::~CTemplateCommands()
{
    templates::CAutoListBox::closeCurrent();
}

void CTemplateCommands::saveState()
{
    m_settings.WriteString(QStringLiteral("USER"), QStringLiteral("template"), m_group);
}

bool CTemplateCommands::onCommand(int id)
{
    switch (id) {
    case cmd::EditInsertTemplate: insertTemplate(); return true;
    case cmd::EditAddTemplate: addTemplate(); return true;
    default: return false;
    }
}

QsciScintillaBase* CTemplateCommands::activeTextView()
{
    CChildFrame* child = m_frame.activeChild();
    return child && !child->isHex() ? child->textView() : nullptr;
}

templates::MacroContext CTemplateCommands::macroContext()
{
    templates::MacroContext c;
    if (CChildFrame* child = m_frame.activeChild()) {
        c.path = child->path();
        if (CTextView* v = child->isHex() ? nullptr : child->textView())
            c.line = unsigned(v->lineFromPosition(v->currentPos()) + 1);
    }
    const AppSettings& s = m_frame.settings();
    c.user = s.ReadString(QStringLiteral("USER"), QStringLiteral("USER"), c.user);
    c.email = s.ReadString(QStringLiteral("USER"), QStringLiteral("EMAIL"), c.email);
    c.company = s.ReadString(QStringLiteral("USER"), QStringLiteral("COMPANY"), c.company);
    return c;
}

void CTemplateCommands::insertTemplate()
{
    templates::CAutoListBox::closeCurrent();
    QsciScintillaBase* view = activeTextView();
    if (!view || !m_docker || !m_docker->store().isOpen() || m_docker->currentGroup().isEmpty())
        return;
    const std::vector<templates::TemplateRow> rows = m_docker->store().list(m_docker->currentGroup());
    using SB = QsciScintillaBase;
    const long pos = view->SendScintilla(SB::SCI_GETCURRENTPOS);
    const long line = view->SendScintilla(SB::SCI_LINEFROMPOSITION, pos);
    const QPoint caret(int(view->SendScintilla(SB::SCI_POINTXFROMPOSITION, 0UL, pos)),
                       int(view->SendScintilla(SB::SCI_POINTYFROMPOSITION, 0UL, pos)));
    const int height = int(view->SendScintilla(SB::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    QPointer<templates::CTemplateDocker> docker = m_docker;
    templates::CAutoListBox::open(view, view->viewport()->mapToGlobal(caret), height, rows, [docker](qint64 id) {
        if (docker)
            docker->insertTemplate(id);
    });
}

void CTemplateCommands::addTemplate()
{
    CTextView* view = qobject_cast<CTextView*>(activeTextView());
    if (!view || !m_docker)
        return;
    const long start = view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = view->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (start == end)
        return;
    std::string bytes;
    view->textRange(start, end, bytes);
    m_docker->addTemplate(QString::fromStdString(bytes));
}
