#include "search/widgets/SearchDialog.h"

#include "platform/Seams.h"
#include "platform/Texts.h"
#include "search/widgets/FindView.h"
#include "search/widgets/SearchHost.h"
#include "search/widgets/TextSearch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace search {

namespace {

// The helper menu: label, inserted text, caret offset within it (-1: after the text).
struct Fragment {
    int id;
    const char* label;
    const char* text;
    int caret;
};
const Fragment kFragments[] = {
    {60, "Any Character", ".", -1},
    {61, "Character in Range", "[]", 1},
    {62, "Character Not in Range", "[^]", 2},
    {63, "Beginning of Line", "^", -1},
    {64, "End of Line", "$", -1},
    {65, "Tagged Expression", "\\(\\)", 2},
    {66, "Not", "~", -1},
    {67, "Or", "\\!", -1},
    {68, "0 or More Matches", "*", -1},
    {69, "1 or More Matches", "+", -1},
    {70, "Group", "\\{\\}", 2},
};

QString notFoundText(const QString& findText)
{
    return texts::str(1191, "Cannot find string '%s'.")
        .replace(QLatin1String("%s"), findText.isEmpty() ? texts::str(1192, "(empty)") : findText);
}

} // namespace

SearchDialog::SearchDialog(Kind kind, SearchHost& host, SearchOptions& options, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_host(host), m_options(options), m_findHistory(history::kFind),
      m_replaceHistory(history::kReplace)
{
    const int dlg = int(kind);
    auto T = [dlg](int id, const char* english) { return texts::dialog(dlg, id, english); };
    setObjectName(kind == Find ? QStringLiteral("findDialog") : QStringLiteral("replaceDialog"));
    setWindowTitle(T(0, kind == Find ? "Find" : "Replace"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout;
    auto makeCombo = [&](int id, int row, const char* label, QToolButton** helper, int helperId) {
        grid->addWidget(new QLabel(T(id, label), this), row, 0);
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("id%1").arg(id));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(260);
        combo->lineEdit()->setMaxLength(kMaxText);
        grid->addWidget(combo, row, 1);
        *helper = new QToolButton(this);
        (*helper)->setObjectName(QStringLiteral("id%1").arg(helperId));
        (*helper)->setText(QStringLiteral(">"));
        grid->addWidget(*helper, row, 2);
        connect(*helper, &QToolButton::clicked, this, [this, helperId, h = *helper] {
            helperMenu(helperId)->popup(h->mapToGlobal(QPoint(h->width(), 0)));
        });
        return combo;
    };
    m_find = makeCombo(200, 0, "Find What:", &m_findHelper, 101);
    if (kind == Replace)
        m_replace = makeCombo(201, 1, "Replace with:", &m_replaceHelper, 121);

    auto check = [&](int id, const char* english) {
        auto* c = new QCheckBox(T(id, english), this);
        c->setObjectName(QStringLiteral("id%1").arg(id));
        return c;
    };
    m_matchCase = check(102, "Match case");
    m_wholeWord = check(103, "Match whole");
    m_searchUp = check(104, "Search up");
    m_regExp = check(105, "Regular expression");
    m_escapes = check(106, "Allow '\\' expressions");
    auto* checks = new QVBoxLayout;
    for (QCheckBox* c : {m_matchCase, m_wholeWord, m_searchUp, m_regExp, m_escapes})
        checks->addWidget(c);

    auto radio = [&](int id, const char* english) {
        auto* r = new QRadioButton(T(id, english), this);
        r->setObjectName(QStringLiteral("id%1").arg(id));
        return r;
    };
    QGroupBox* group = nullptr;
    if (kind == Find) {
        group = new QGroupBox(T(107, "Output window"), this);
        group->setObjectName(QStringLiteral("id107"));
        m_window1 = radio(108, "Window 1");
        m_window2 = radio(109, "Window 2");
        auto* g = new QVBoxLayout(group);
        g->addWidget(m_window1);
        g->addWidget(m_window2);
    } else {
        group = new QGroupBox(T(122, "Replace range"), this);
        group->setObjectName(QStringLiteral("id122"));
        m_rangeCurrent = radio(123, "Current file");
        m_rangeSelection = radio(124, "Selection");
        m_rangeAllOpen = radio(125, "All open file");
        auto* g = new QVBoxLayout(group);
        g->addWidget(m_rangeCurrent);
        g->addWidget(m_rangeSelection);
        g->addWidget(m_rangeAllOpen);
    }
    for (QRadioButton* r : group->findChildren<QRadioButton*>())
        r->setParent(group);
    checks->addWidget(group);
    checks->addStretch(1);

    m_buttons = new QWidget(this);
    auto* buttons = new QVBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    addButton(1, "Find", &SearchDialog::onFind);
    if (kind == Find) {
        addButton(110, "Find all in current doc", &SearchDialog::onFindAllCurrent);
        addButton(111, "Find all in opened docs", &SearchDialog::onFindAllOpen);
        addButton(112, "Bookmark", &SearchDialog::onBookmark);
        addButton(113, "Mark", &SearchDialog::onMark);
    } else {
        addButton(126, "Replace", &SearchDialog::onReplace);
        addButton(127, "Replace all", &SearchDialog::onReplaceAll);
    }
    addButton(2, "Close", &SearchDialog::onClose);
    buttons->addStretch(1);
    static_cast<QPushButton*>(control(1))->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(checks);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addWidget(m_buttons);

    // The helper buttons work only for regular expressions.
    auto helpers = [this] {
        m_findHelper->setEnabled(m_regExp->isChecked());
        if (m_replaceHelper)
            m_replaceHelper->setEnabled(m_regExp->isChecked());
    };
    connect(m_regExp, &QCheckBox::toggled, this, helpers);
    showOptions();
    helpers();
    m_host.searchDialogsChanged();
}

SearchDialog::~SearchDialog()
{
    finished();
}

void SearchDialog::addButton(int id, const char* english, void (SearchDialog::*slot)())
{
    auto* b = new QPushButton(texts::dialog(int(m_kind), id, english), m_buttons);
    b->setObjectName(QStringLiteral("id%1").arg(id));
    b->setAutoDefault(false);
    m_buttons->layout()->addWidget(b);
    connect(b, &QPushButton::clicked, this, slot);
}

QWidget* SearchDialog::control(int id) const
{
    return findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

void SearchDialog::fillCombo(QComboBox* combo, const SearchHistory& history, const QString& current)
{
    combo->clear();
    combo->addItems(history.entries());
    combo->setEditText(current);
}

void SearchDialog::showOptions()
{
    const SearchOptions& o = m_options;
    m_matchCase->setChecked(o.has(Mask::MatchCase));
    m_wholeWord->setChecked(o.has(Mask::WholeWord));
    m_searchUp->setChecked(!o.has(Mask::Forward));
    m_regExp->setChecked(o.has(Mask::RegExp));
    m_escapes->setChecked(o.has(Mask::Escapes));
    if (m_kind == Find) {
        (o.has(Mask::ResultWindow2) ? m_window2 : m_window1)->setChecked(true);
    } else {
        switch (o.range()) {
        case Mask::RangeSelection: m_rangeSelection->setChecked(true); break;
        case Mask::RangeAllOpen: m_rangeAllOpen->setChecked(true); break;
        default: m_rangeCurrent->setChecked(true); break;
        }
    }
}

void SearchDialog::prefill(const QString& word, bool haveWord)
{
    if (haveWord)
        m_options.setFindText(word);
    fillCombo(m_find, m_findHistory, m_options.findText);
    if (m_replace)
        fillCombo(m_replace, m_replaceHistory, m_options.replaceText);
    showOptions();
    m_find->lineEdit()->selectAll();
    m_find->setFocus();
}

void SearchDialog::readOptions()
{
    SearchOptions& o = m_options;
    o.set(Mask::MatchCase, m_matchCase->isChecked());
    o.set(Mask::WholeWord, m_wholeWord->isChecked());
    o.set(Mask::RegExp, m_regExp->isChecked());
    o.set(Mask::Escapes, m_escapes->isChecked());
    o.set(Mask::Forward, !m_searchUp->isChecked());
    o.set(Mask::Wrap, true);
    o.set(Mask::MatchSelected, false);
    if (m_kind == Replace) {
        o.flags &= ~unsigned(Mask::RangeMask);
        if (m_rangeSelection->isChecked())
            o.flags |= Mask::RangeSelection;
        else if (m_rangeAllOpen->isChecked())
            o.flags |= Mask::RangeAllOpen;
        o.setReplaceText(clampText(m_replace->currentText()));
    } else {
        o.set(Mask::ResultWindow2, m_window2->isChecked());
    }
    o.setFindText(clampText(m_find->currentText()));
    o.owner = this;
}

QMenu* SearchDialog::helperMenu(int buttonId)
{
    QMenu*& menu = buttonId == 121 ? m_replaceMenu : m_findMenu;
    if (menu)
        return menu;
    QComboBox* combo = buttonId == 121 ? m_replace : m_find;
    menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menu%1").arg(buttonId == 121 ? 6 : 5));
    auto add = [&](int id, const QString& label) {
        QAction* a = menu->addAction(label);
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, combo, id] { insertFragment(combo, id); });
    };
    const int menuId = buttonId == 121 ? 6 : 5;
    for (const Fragment& f : kFragments)
        add(f.id, texts::contextMenu(menuId, f.id, QString::fromUtf8(f.label)));
    menu->addSeparator();
    for (int id = 50; id <= 58; ++id)
        add(id, texts::contextMenu(menuId, id, QStringLiteral("Tagged Expression %1").arg(id - 49)));
    return menu;
}

void SearchDialog::insertFragment(QComboBox* combo, int id)
{
    QString text;
    int caret = -1;
    if (id >= 50 && id <= 58) {
        text = QStringLiteral("\\%1").arg(id - 49);
    } else {
        for (const Fragment& f : kFragments)
            if (f.id == id) {
                text = QString::fromLatin1(f.text);
                caret = f.caret;
            }
    }
    QLineEdit* edit = combo->lineEdit();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    edit->insert(text);   // replaces the selection
    edit->setCursorPosition(start + (caret < 0 ? int(text.size()) : caret));
    edit->setFocus();
}

void SearchDialog::notFound()
{
    seams::message(this, notFoundText(m_options.findText), texts::str(1, "Velmo"),
                   seams::MB_OK | seams::MB_ICONINFORMATION);
    m_find->setFocus();
}

void SearchDialog::onFind()
{
    readOptions();
    m_findHistory.add(m_options.findText);
    QsciScintillaBase* view = m_host.activeTextView();
    if (!view) {
        notFound();
        return;
    }
    const int r = findNext(*view, m_options);
    if (r == FindNotFound)
        notFound();
    else if (r > FindNotFound && m_host.closeDialogAfterFind())
        close();
}

void SearchDialog::findAll(bool allOpen)
{
    readOptions();
    std::vector<SearchHost::TextDocument> docs;
    if (allOpen)
        docs = m_host.textDocuments();
    else if (SearchHost::TextDocument d = m_host.activeTextDocument(); d.view)
        docs.push_back(d);
    if (docs.empty())
        return;
    CFindView* results = m_host.showResultView(m_options.has(Mask::ResultWindow2) ? 1 : 0);
    if (!results)
        return;
    results->clear();
    for (const SearchHost::TextDocument& d : docs)
        findAllInto(*results, *d.view, d.name, d.document, m_options);
    if (m_host.closeDialogAfterFind())
        close();
}

void SearchDialog::onClose() { close(); }
void SearchDialog::onFindAllCurrent() { findAll(false); }
void SearchDialog::onFindAllOpen() { findAll(true); }

void SearchDialog::onBookmark()
{
    readOptions();
    if (QsciScintillaBase* view = m_host.activeTextView())
        markAll(*view, m_options, true);
}

void SearchDialog::onMark()
{
    readOptions();
    if (QsciScintillaBase* view = m_host.activeTextView())
        markAll(*view, m_options, false);
}

void SearchDialog::onReplace()
{
    readOptions();
    m_findHistory.add(m_options.findText);
    m_replaceHistory.add(m_options.replaceText);
    if (QsciScintillaBase* view = m_host.activeTextView())
        replaceOnce(*view, m_options);
}

void SearchDialog::onReplaceAll()
{
    readOptions();
    m_findHistory.add(m_options.findText);
    m_replaceHistory.add(m_options.replaceText);
    if (m_options.range() == Mask::RangeAllOpen) {
        for (const SearchHost::TextDocument& d : m_host.textDocuments())
            replaceAll(*d.view, m_options);
    } else {
        QsciScintillaBase* view = m_host.activeTextView();
        if (!view)
            return;
        const int count = replaceAll(*view, m_options);
        seams::message(this, texts::str(1193, "%d occurrences have been replaced.").replace(QLatin1String("%d"), QString::number(count)),
                       texts::str(1, "Velmo"), seams::MB_OK | seams::MB_ICONINFORMATION);
    }
    close();
}

void SearchDialog::finished()
{
    if (m_saved)
        return;
    m_saved = true;
    m_findHistory.save();
    if (m_kind == Replace)
        m_replaceHistory.save();
}

void SearchDialog::closeEvent(QCloseEvent* event)
{
    finished();
    QDialog::closeEvent(event);
    m_host.searchDialogsChanged();
}

void SearchDialog::done(int result)
{
    finished();
    QDialog::done(result);
    m_host.searchDialogsChanged();
}

} // namespace search
