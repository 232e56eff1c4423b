#include "ui/widgets/Pages.h"

#include "platform/Seams.h"
#include "platform/Texts.h"
#include "shell/ShellIntegration.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kEditor = QStringLiteral("EDITOR");
}

void CGeneralPage::setup(QWidget* page)
{
    const Values v = m_host.values();
    auto* box = new QVBoxLayout(page);
    addMaskBoxes(page, box,
                 {{100, "&Allow multiple instances", 1u << 0},
                  {101, "&Maximise new document windows", 1u << 1},
                  {102, "Show &full file path", 1u << 2},
                  {103, "Start with a &new blank document", 1u << 3},
                  {104, "&Close file dialog after find", 1u << 8},
                  {105, "Minimize to system &tray", 1u << 24}},
                 v.editorMask, m_boxes);
    // The desktop integrations show what the desktop's files say now.
    m_shellShown = shell::readShellOptions();
    m_browser = check(page, 106, "Use Velmo in &Internet Explorer");
    m_contextMenu = check(page, 107, "Add Velmo to &right mouse button");
    m_browser->setChecked(m_shellShown.browser);
    m_contextMenu->setChecked(m_shellShown.contextMenu);
    for (QCheckBox* c : {m_browser, m_contextMenu}) {
        box->addWidget(c);
        watch(c);
    }

    auto* row = new QHBoxLayout;
    row->addWidget(label(page, -1, "Display the most recent files"));
    m_mru = spin(page, 120, 2, 16, v.mruSize);
    watch(m_mru);
    row->addWidget(m_mru);
    row->addWidget(label(page, -1, "items, (2~16)"));
    row->addStretch();
    box->addLayout(row);
    box->addStretch();
}

bool CGeneralPage::apply(QString* error)
{
    Values v = m_host.values();
    unsigned bits = 0, value = 0;
    collectBits(m_boxes, bits, value);
    v.editorMask = withBits(v.editorMask, bits, value);
    v.mruSize = qBound(2, m_mru->value(), 16);
    if (!m_host.store({{kEditor, QStringLiteral("EditorMask"), QString::number(int(v.editorMask))},
                       {kEditor, QStringLiteral("MRUSize"), QString::number(v.mruSize)}})) {
        *error = storeFailed();
        return false;
    }
    m_host.valuesApplied(GeneralPage, v);

    // Only an option the user changed is written; a second Apply does not repeat it.
    const shell::ShellOptions wanted{m_browser->isChecked(), m_contextMenu->isChecked()};
    const shell::ApplyResult r = shell::applyShellOptions(m_shellShown, wanted);
    if (r.showFailed)
        seams::message(m_browser->window(), shell::failedMessage(), seams::MB_OK | seams::MB_ICONERROR);
    m_shellShown = shell::readShellOptions();
    return true;
}

} // namespace options
