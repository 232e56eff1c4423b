#include "app/commands/AboutDialog.h"

#include "app/commands/BuildInfo.h"
#include "app/commands/CommandTable.h"
#include "app/commands/DocumentCommands.h"
#include "app/commands/UpdateCheck.h"
#include "platform/Texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace cmd {

QString formatVersion(int major, int minor, int build)
{
    if (major < 0)
        return QStringLiteral("1.0");
    return QString::asprintf("%d.%d.%d", major, minor, build);
}

QString programVersion()
{
    return formatVersion(VELMO_VERSION_MAJOR, VELMO_VERSION_MINOR, VELMO_VERSION_BUILD);
}

CAboutDialog::CAboutDialog(QWidget* parent, std::function<void()> checkForUpdate)
    : QDialog(parent), m_checkForUpdate(std::move(checkForUpdate))
{
    setObjectName(QStringLiteral("about_dialog"));
    setWindowTitle(texts::dialog(DialogId, 0, "About Velmo"));

    m_version = new QLabel(QStringLiteral("Velmo ") + programVersion(), this);
    m_version->setObjectName(QStringLiteral("about_version"));
    QFont big = m_version->font();
    big.setPixelSize(21);
    big.setWeight(QFont::DemiBold);
    m_version->setFont(big);

    const QString home = webPageAddress(HelpHomePage);
    m_link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(home.toHtmlEscaped()), this);
    m_link->setObjectName(QStringLiteral("about_home_link"));
    m_link->setTextFormat(Qt::RichText);
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_link, &QLabel::linkActivated, this, [](const QString& link) { openUrl(QUrl(link)); });

    auto* ok = new QPushButton(texts::dialog(DialogId, IdOk, "OK"), this);
    ok->setObjectName(QStringLiteral("about_ok"));
    ok->setDefault(true);
    m_checkUpdate = new QPushButton(texts::dialog(DialogId, IdCheckUpdate, "Check for &Update"), this);
    m_checkUpdate->setObjectName(QStringLiteral("about_check_update"));
    m_feedback = new QPushButton(texts::dialog(DialogId, IdFeedback, "&Feedback"), this);
    m_feedback->setObjectName(QStringLiteral("about_feedback"));

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_checkUpdate, &QPushButton::clicked, this, [this] {
        if (m_checkForUpdate)
            m_checkForUpdate();
        else
            startUpdateClient(false);
    });
    // A failure to open the page is not reported.
    connect(m_feedback, &QPushButton::clicked, this, [] { openWebPage(HelpFeedback); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(m_checkUpdate);
    buttons->addWidget(m_feedback);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_version);
    layout->addWidget(m_link);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setLayout(layout);
}

} // namespace cmd
