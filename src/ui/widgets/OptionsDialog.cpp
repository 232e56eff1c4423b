#include "ui/widgets/OptionsDialog.h"
#include "ui/widgets/Pages.h"

#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace options {

namespace {

constexpr int kDialogId = 8;

template <class Page>
PageEntry entry(int id)
{
    return {id, [](OptionsHost& h) { return std::unique_ptr<COptionsPage>(new Page(h)); }};
}

} // namespace

const std::vector<PageEntry>& pageList()
{
    // The Key page applies before the Tool page: it stores the tools' keys under the tools
    // as they are now, and the Tool page then keeps every tool's stored keys.
    static const std::vector<PageEntry> pages = {
        entry<CGeneralPage>(GeneralPage), entry<CMDIPage>(DocumentPage),      entry<CEditPage>(EditPage),
        entry<CFontPage>(FontPage),       entry<CColorPage>(ColorPage),       entry<CKeyPage>(KeyPage),
        entry<CFavPage>(FavoritePage),    entry<CMacroPage>(MacroPage),       entry<CToolPage>(ToolPage),
        entry<CMUIPage>(MuiPage),         entry<CUpdatePage>(UpdatePage),     entry<CFileViewPage>(FileWindowPage),
    };
    return pages;
}

int pageForCommand(int command)
{
    switch (command) {
    case 687: return ToolPage;
    case 688: return KeyPage;
    case 689: return FontPage;
    case 690: return FavoritePage;
    case 691: return DocumentPage;
    case 692: return FileWindowPage;
    default: return GeneralPage;
    }
}

COptionsTitle::COptionsTitle(QWidget* parent) : QWidget(parent) {}

void COptionsTitle::setTitle(const QString& title)
{
    m_title = title;
    update();
}

QSize COptionsTitle::sizeHint() const
{
    return QSize(200, QApplication::font().pointSize() > 0 ? fontMetrics().height() + 12 : 24);
}

void COptionsTitle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().topRight());
    g.setColorAt(0, QColor(0x66, 0x66, 0x66));
    g.setColorAt(1, palette().color(QPalette::Button));
    p.fillRect(rect(), g);
    p.setPen(Qt::white);
    p.setFont(QApplication::font());
    p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, QString(m_title).remove(QLatin1Char('&')));
}

COptionsDialog::COptionsDialog(OptionsHost& host, int startPage, QWidget* parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(texts::dialog(kDialogId, 0, "Options"));
    setModal(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("id103"));
    m_title = new COptionsTitle(this);
    m_title->setObjectName(QStringLiteral("id102"));
    m_title->setFixedHeight(m_title->sizeHint().height());
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("id101"));
    auto* areaBox = new QVBoxLayout(m_area);
    areaBox->setContentsMargins(0, 0, 0, 0);

    auto* ok = new QPushButton(texts::dialog(kDialogId, 1, "OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(texts::dialog(kDialogId, 2, "Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    m_apply = new QPushButton(texts::dialog(kDialogId, 100, "Apply"), this);
    m_apply->setObjectName(QStringLiteral("id100"));
    m_apply->setEnabled(false);
    connect(ok, &QPushButton::clicked, this, &COptionsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &COptionsDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] { m_apply->setEnabled(!applyChanged()); });

    auto* right = new QVBoxLayout;
    right->addWidget(m_title);
    right->addWidget(m_area, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list);
    top->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(m_apply);
    auto* box = new QVBoxLayout(this);
    box->addLayout(top, 1);
    box->addLayout(buttons);

    for (const PageEntry& e : pageList()) {
        m_pages.push_back(e.make(m_host));
        auto* item = new QListWidgetItem(m_pages.back()->name().remove(QLatin1Char('&')), m_list);
        item->setData(Qt::UserRole, e.dialogId);
    }
    m_list->setFixedWidth(qMax(110, m_list->sizeHintForColumn(0) + 24));
    connect(m_list, &QListWidget::currentRowChanged, this, &COptionsDialog::showPage);
    selectPage(startPage);
    if (m_list->currentRow() < 0 && m_list->count() > 0)
        m_list->setCurrentRow(0);
    resize(720, 470);
}

COptionsDialog::~COptionsDialog()
{
    for (auto& p : m_pages)
        p->destroy();
}

int COptionsDialog::currentPage() const
{
    return m_shown >= 0 ? m_pages[size_t(m_shown)]->dialogId() : 0;
}

void COptionsDialog::selectPage(int dialogId)
{
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->data(Qt::UserRole).toInt() == dialogId)
            m_list->setCurrentRow(i);
}

COptionsPage* COptionsDialog::page(int dialogId) const
{
    for (const auto& p : m_pages)
        if (p->dialogId() == dialogId)
            return p.get();
    return nullptr;
}

void COptionsDialog::showPage(int row)
{
    if (row < 0 || row >= int(m_pages.size()))
        return;
    COptionsPage* next = m_pages[size_t(row)].get();
    if (!next->isCreated())
        next->create(m_area, [this] { m_apply->setEnabled(true); });
    if (m_shown >= 0 && m_shown != row)
        m_pages[size_t(m_shown)]->show(false);
    next->show(true);
    m_shown = row;
    m_title->setTitle(next->name());
}

bool COptionsDialog::applyChanged()
{
    QStringList errors;
    for (auto& p : m_pages) {
        if (!p->isCreated() || !p->isChanged())
            continue;
        QString error;
        if (!p->apply(&error)) {
            errors << error;
            continue;
        }
        if (p->dialogId() == EditPage)
            m_editApplied = true;
        for (auto& other : m_pages)
            if (other != p && other->isCreated())
                other->otherPageApplied(p->dialogId());
    }
    if (!errors.isEmpty())
        seams::message(this, errors.join(QLatin1Char('\n')), seams::MB_OK | seams::MB_ICONWARNING);
    return errors.isEmpty();
}

void COptionsDialog::accept()
{
    // A page that could not be stored keeps the dialog open, so that nothing typed is lost.
    if (!applyChanged()) {
        m_apply->setEnabled(true);
        return;
    }
    if (m_editApplied)
        m_host.reapplyDocuments();
    QDialog::accept();
}

void COptionsDialog::reject()
{
    for (auto& p : m_pages)
        p->cancel();
    QDialog::reject();
}

void COptionsDialog::done(int result)
{
    QDialog::done(result);
    for (auto& p : m_pages)
        p->destroy();
    m_shown = -1;
}

} // namespace options
