#include "search/widgets/FindInFilesDialog.h"

#include "platform/Paths.h"
#include "platform/Seams.h"
#include "platform/Texts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace search {

namespace {
QString T(int id, const char* english) { return texts::dialog(FindInFilesDialog::kDialogId, id, english); }
}

FindInFilesDialog::FindInFilesDialog(SearchOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options), m_findHistory(history::kFind), m_typeHistory(history::kFindType),
      m_whereHistory(history::kFindWhere)
{
    setObjectName(QStringLiteral("findInFilesDialog"));
    setWindowTitle(T(0, "Find in File"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout;
    auto combo = [&](int id, int row, const char* label, int maxLength) {
        auto* l = new QLabel(T(id, label), this);
        grid->addWidget(l, row, 0);
        auto* c = new QComboBox(this);
        c->setObjectName(QStringLiteral("id%1").arg(id));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumWidth(300);
        c->lineEdit()->setMaxLength(maxLength);
        l->setBuddy(c);
        grid->addWidget(c, row, 1);
        return c;
    };
    auto tool = [&](int id, const QString& text, int row) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("id%1").arg(id));
        b->setText(text);
        grid->addWidget(b, row, 2);
        return b;
    };
    m_find = combo(200, 0, "Find What:", kMaxText);
    tool(101, QStringLiteral(">"), 0)->setEnabled(false);   // no regular expressions here
    m_filter = combo(202, 1, "Find type:", kMaxPath);
    m_folder = combo(203, 2, "Folder:", kMaxPath);
    QToolButton* browse = tool(132, QStringLiteral("..."), 2);
    connect(browse, &QToolButton::clicked, this, &FindInFilesDialog::onBrowse);

    // The folder's edit completes folder names from the file system.
    auto* folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders->setRootPath(QString());
    auto* completer = new QCompleter(folders, this);
    m_folder->setCompleter(completer);

    auto check = [&](int id, const char* english) {
        auto* c = new QCheckBox(T(id, english), this);
        c->setObjectName(QStringLiteral("id%1").arg(id));
        return c;
    };
    m_matchCase = check(102, "Match case");
    m_wholeWord = check(103, "Match whole");
    m_subfolders = check(133, "Include subfolders");
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_matchCase);
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_subfolders);

    auto* group = new QGroupBox(T(107, "Output window"), this);
    group->setObjectName(QStringLiteral("id107"));
    m_window1 = new QRadioButton(T(108, "Window 1"), group);
    m_window1->setObjectName(QStringLiteral("id108"));
    m_window2 = new QRadioButton(T(109, "Window 2"), group);
    m_window2->setObjectName(QStringLiteral("id109"));
    auto* g = new QVBoxLayout(group);
    g->addWidget(m_window1);
    g->addWidget(m_window2);
    auto* optionRow = new QHBoxLayout;
    optionRow->addLayout(checks);
    optionRow->addWidget(group);

    auto* buttons = new QVBoxLayout;
    m_findButton = new QPushButton(T(1, "Find"), this);
    m_findButton->setObjectName(QStringLiteral("id1"));
    m_findButton->setDefault(true);
    auto* closeButton = new QPushButton(T(2, "Close"), this);
    closeButton->setObjectName(QStringLiteral("id2"));
    closeButton->setAutoDefault(false);
    buttons->addWidget(m_findButton);
    buttons->addWidget(closeButton);
    buttons->addStretch(1);
    connect(m_findButton, &QPushButton::clicked, this, &FindInFilesDialog::onFind);
    connect(closeButton, &QPushButton::clicked, this, &FindInFilesDialog::close);

    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(optionRow);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    // An empty find text is not searched for.
    connect(m_find, &QComboBox::editTextChanged, this, &FindInFilesDialog::updateFindButton);
}

FindInFilesDialog::~FindInFilesDialog()
{
    saveHistories();
}

QWidget* FindInFilesDialog::control(int id) const
{
    return findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

void FindInFilesDialog::prefill(const QString& word, bool haveWord, const QString& activePath)
{
    if (haveWord)
        m_options.setFindText(word);
    m_find->clear();
    m_find->addItems(m_findHistory.entries());
    m_filter->clear();
    m_filter->addItems(m_typeHistory.entries());
    m_folder->clear();
    m_folder->addItems(m_whereHistory.entries());
    const bool haveFile = paths::hasFile(activePath);
    if (m_filter->count() == 0 && haveFile)
        m_filter->addItem(QStringLiteral("*") + paths::pathPart(activePath, paths::Extension));
    if (m_folder->count() == 0 && haveFile)
        m_folder->addItem(QFileInfo(activePath).absolutePath());
    if (m_filter->count() > 0)
        m_filter->setCurrentIndex(0);
    if (m_folder->count() > 0)
        m_folder->setCurrentIndex(0);
    if (!m_options.findText.isEmpty())
        m_find->setEditText(m_options.findText);
    else if (m_find->count() > 0)
        m_find->setCurrentIndex(0);
    else
        m_find->setEditText(QString());

    m_matchCase->setChecked(m_options.has(Mask::MatchCase));
    m_wholeWord->setChecked(m_options.has(Mask::WholeWord));
    m_subfolders->setChecked(m_options.has(Mask::Subfolders));
    (m_options.has(Mask::ResultWindow2) ? m_window2 : m_window1)->setChecked(true);
    updateFindButton();
    m_find->lineEdit()->selectAll();
    m_find->setFocus();
}

void FindInFilesDialog::updateFindButton()
{
    m_findButton->setEnabled(!m_find->currentText().isEmpty());
}

void FindInFilesDialog::readOptions()
{
    SearchOptions& o = m_options;
    o.set(Mask::MatchCase, m_matchCase->isChecked());
    o.set(Mask::WholeWord, m_wholeWord->isChecked());
    o.set(Mask::Subfolders, m_subfolders->isChecked());
    o.set(Mask::ResultWindow2, m_window2->isChecked());
    o.setFindText(clampText(m_find->currentText()));
    o.fileFilter = clampText(m_filter->currentText(), kMaxPath);
    o.folder = clampText(m_folder->currentText(), kMaxPath);
    o.owner = this;
}

void FindInFilesDialog::onFind()
{
    if (m_find->currentText().isEmpty())
        return;
    readOptions();
    m_findHistory.add(m_options.findText);
    if (!m_options.folder.isEmpty())
        m_whereHistory.add(m_options.folder);
    if (!m_options.fileFilter.isEmpty())
        m_typeHistory.add(m_options.fileFilter);
    close();
    emit findRequested();
}

void FindInFilesDialog::onBrowse()
{
    const QString prompt = texts::str(1198, "Select directory and press OK");
    const QString typed = m_folder->currentText();
    const QString start = QFileInfo(typed).isDir() ? typed : QString();
    const QString chosen = seams::fileDialogs().folder(this, prompt, start);
    if (!chosen.isEmpty())
        m_folder->setEditText(chosen);
}

void FindInFilesDialog::saveHistories()
{
    if (m_saved)
        return;
    m_saved = true;
    m_findHistory.save();
    m_typeHistory.save();
    m_whereHistory.save();
}

void FindInFilesDialog::closeEvent(QCloseEvent* event)
{
    saveHistories();
    QDialog::closeEvent(event);
    emit closed();
}

void FindInFilesDialog::done(int result)
{
    saveHistories();
    QDialog::done(result);
    emit closed();
}

} // namespace search
