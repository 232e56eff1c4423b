#include "app/CommandWindow.h"

#include "app/AppSettings.h"
#include "app/FrameShell.h"
#include "app/MainFrame.h"
#include "app/commands/DocumentCommands.h"
#include "app/commands/CommandTable.h"
#include "console/CommandSession.h"
#include "console/widgets/CmdView.h"
#include "framework/widgets/PanelHost.h"
#include "platform/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <cstring>

namespace {

// The interpreter that runs the built-in sides of pipes: COMSPEC when the environment
// names one, velmocmd beside the editor, or velmocmd on the PATH.
QString interpreterProgram()
{
    const QString set = qEnvironmentVariable("COMSPEC");
    if (!set.isEmpty())
        return set;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/velmocmd");
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("velmocmd"));
    return found.isEmpty() ? beside : found;
}

} // namespace

CCommandWindow::CCommandWindow(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    m_view = new CCmdView;
    frame.shell()->panels()->panel(framework::PanelHost::Bottom)->setPage(0, m_view);   // tab 0: "Command"
    // The pane starts its interpreter when it is first shown.
    m_view->installEventFilter(this);
    connect(m_view, &CCmdView::sessionWanted, this, [this] { ensureStarted(); });
    connect(m_view, &CCmdView::closeRequested, &m_frame, [this] { m_frame.requestExit(); });
}

CCommandWindow::~CCommandWindow() { shutdown(); }

bool CCommandWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The event type first: while the pane is being destroyed it still sends events, and
    // reading the guarded pointer then casts a half-destroyed widget to its own class.
    if (event->type() == QEvent::Show && !m_shuttingDown && watched == m_view)
        QTimer::singleShot(0, this, [this] { ensureStarted(); });
    return QObject::eventFilter(watched, event);
}

bool CCommandWindow::ensureStarted()
{
    if (m_shuttingDown || !m_view)
        return false;
    if (m_session && !m_session->ended())
        return true;
    if (m_session) {
        m_view->setSession(nullptr);
        m_session.reset();
    }
    console::CommandSession::Options o;
    o.environment = console::Environment::fromProcess();
    QString cwd = QDir::currentPath();
    // The folder of the first file named on the editor's command line.
    const QStringList& args = m_frame.startArguments();
    if (!args.isEmpty() && args.first().contains(QLatin1Char('/'))) {
        QString first = args.first();
        if (QDir::isRelativePath(first))
            first = QDir::current().filePath(first);
        const QString folder = first.left(first.lastIndexOf(QLatin1Char('/')) + 1);
        if (QFileInfo(folder).isDir()) {
            cwd = folder;
            o.environment.set(u"VMINITPATH", folder.toStdU16String());
        }
    }
    o.currentDirectory = cwd.toStdU16String();
    o.comspec = interpreterProgram().toStdU16String();
    const QString init = m_frame.settings().Folder(AppSettings::DataFolder) + QStringLiteral("/initcmd.bat");
    if (QFileInfo(init).isFile())
        o.arguments = (QStringLiteral("/K \"") + init + QLatin1Char('"')).toStdU16String();
    o.settings = console::readProcessorSettings();
    o.aboutText = (texts::str(2922, "Velmo command window") + QStringLiteral("\r\n")
                   + webPageAddress(cmd::HelpHomePage) + QStringLiteral("\r\n"))
                      .toStdU16String();
    QPointer<CMainFrame> frame(&m_frame);
    o.openFiles = [frame](std::vector<std::u16string> paths) {
        QStringList list;
        for (const auto& p : paths)
            list << QString::fromStdU16String(p);
        // On the interpreter's thread: the frame opens them on its own.
        QMetaObject::invokeMethod(
            qApp,
            [frame, list] {
                if (!frame)
                    return;
                for (const QString& p : list)
                    frame->OpenFile(p, 5, true);
            },
            Qt::QueuedConnection);
    };
    if (m_view->isVisible()) {
        o.columns = m_view->columnsFit();
        o.rows = m_view->rowsFit();
    }
    m_session = std::make_unique<console::CommandSession>(std::move(o));
    m_endHandled = false;
    QPointer<CCommandWindow> self(this);
    m_session->onWake = [self] {
        QMetaObject::invokeMethod(
            qApp, [self] { if (self) self->wake(); }, Qt::QueuedConnection);
    };
    if (!m_session->start()) {
        const QString msg = texts::str(2923, "The command window could not open a pseudo-terminal: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(m_session->startError())));
        for (QChar c : msg)
            m_session->model().put(c.unicode());
        m_view->setSession(m_session.get());
        return false;
    }
    m_view->setSession(m_session.get());
    return true;
}

void CCommandWindow::wake()
{
    if (!m_session || !m_view)
        return;
    m_view->refresh();
    if (m_session->ended())
        sessionEnded();
}

void CCommandWindow::sessionEnded()
{
    // EXIT or the end of the interpreter: the main window is asked to close, with its
    // save prompts. When it stays open, the next use of the pane starts a new interpreter.
    if (m_shuttingDown || m_endHandled)
        return;
    m_endHandled = true;
    m_session->stop();
    QTimer::singleShot(0, &m_frame, [this] { m_frame.requestExit(); });
}

bool CCommandWindow::sendToCommandWindow(const QStringList& lines)
{
    if (!ensureStarted())
        return false;
    bool ok = true;
    for (const QString& line : lines)
        ok = m_session->sendLine(line.toStdU16String()) && ok;
    m_view->refresh();
    return ok;
}

void CCommandWindow::shutdown()
{
    m_shuttingDown = true;
    if (m_view)
        m_view->setSession(nullptr);
    if (m_session)
        m_session->stop();
    m_session.reset();
}
