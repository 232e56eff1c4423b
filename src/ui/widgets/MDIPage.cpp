#include "ui/widgets/Pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kEditor = QStringLiteral("EDITOR");
constexpr unsigned kDontRemember = 1u << 25;
constexpr unsigned kActionMask = 3u << 6;
constexpr int kMaxLanguageName = 127;
}

const std::vector<std::pair<const char*, int>>& CMDIPage::encodings()
{
    static const std::vector<std::pair<const char*, int>> list = {
        {"ANSI", 0}, {"UTF-8", 3}, {"UTF-8 NO BOM", 4}, {"UTF-16", 2}, {"UTF-16 Big Endian", 1},
    };
    return list;
}

void CMDIPage::setup(QWidget* page)
{
    const Values v = m_host.values();
    auto* box = new QVBoxLayout(page);
    addMaskBoxes(page, box,
                 {{100, "Show tabs at the bottom of the main window", 1u << 4},
                  {101, "Doucle click tab close file", 1u << 22},
                  {105, "New file when double click tab space", 1u << 27},
                  {102, "Don't allow drag tab, need restart Velmo", 1u << 23}},
                 v.editorMask, m_boxes);
    m_remember = check(page, 103, "Remember last open files");
    m_remember->setChecked((v.editorMask & kDontRemember) == 0);
    watch(m_remember);
    box->addWidget(m_remember);
    addMaskBoxes(page, box,
                 {{104, "Save file to file panel path", 1u << 26},
                  {106, "Show Minmize/Maxmize/Close button in caption", 1u << 28}},
                 v.editorMask, m_boxes);

    auto* group = new QGroupBox(text(-1, "Double click MDI client action"), page);
    auto* groupBox = new QVBoxLayout(group);
    const char* actions[] = {"Popup open file dialog", "New blank document", "Ignore"};
    const int action = int((v.editorMask & kActionMask) >> 6);
    for (int i = 0; i < 3; ++i) {
        m_action[i] = radio(group, 110 + i, actions[i]);
        m_action[i]->setChecked(i == action || (action == 3 && i == 0));
        groupBox->addWidget(m_action[i]);
        watch(m_action[i]);
    }
    box->addWidget(group);

    auto* grid = new QGridLayout;
    grid->addWidget(label(page, -1, "Default Lanuage:"), 0, 0);
    m_language = new QLineEdit(page);
    m_language->setObjectName(QStringLiteral("id120"));
    m_language->setMaxLength(kMaxLanguageName);
    m_language->setText(v.defaultScheme.left(kMaxLanguageName));
    watch(m_language);
    grid->addWidget(m_language, 0, 1);
    grid->addWidget(label(page, -1, "Default Encoding:"), 1, 0);
    m_encoding = new QComboBox(page);
    m_encoding->setObjectName(QStringLiteral("id121"));
    int selected = 0;
    for (const auto& [name, value] : encodings()) {
        if (value == v.defaultEncoding)
            selected = m_encoding->count();
        m_encoding->addItem(QString::fromLatin1(name), value);
    }
    m_encoding->setCurrentIndex(selected);
    watch(m_encoding);
    grid->addWidget(m_encoding, 1, 1);
    box->addLayout(grid);
    box->addStretch();
}

bool CMDIPage::apply(QString* error)
{
    Values v = m_host.values();
    unsigned bits = kDontRemember | kActionMask, value = 0;
    collectBits(m_boxes, bits, value);
    if (!m_remember->isChecked())
        value |= kDontRemember;
    for (unsigned i = 0; i < 3; ++i)
        if (m_action[i]->isChecked())
            value |= i << 6;
    v.editorMask = withBits(v.editorMask, bits, value);
    v.defaultEncoding = m_encoding->currentData().toInt();
    QList<SettingWrite> writes = {{kEditor, QStringLiteral("EditorMask"), QString::number(int(v.editorMask))},
                                  {kEditor, QStringLiteral("DefaultEncoding"), QString::number(v.defaultEncoding)}};
    // An empty field leaves the language as it was.
    const QString language = m_language->text().trimmed().left(kMaxLanguageName);
    if (!language.isEmpty()) {
        v.defaultScheme = language;
        writes.push_back({kEditor, QStringLiteral("DefaultScheme"), language});
    }
    if (!m_host.store(writes)) {
        *error = storeFailed();
        return false;
    }
    m_host.valuesApplied(DocumentPage, v);
    return true;
}

} // namespace options
