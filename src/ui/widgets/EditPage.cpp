#include "ui/widgets/ColorButton.h"
#include "ui/widgets/Pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kEditor = QStringLiteral("EDITOR");
constexpr unsigned kHighlightLine = 1u << 15, kColumnEdge = 1u << 16, kEdgeAsLine = 1u << 17;
constexpr unsigned kTabUseMask = 3u << 18, kTransparent = 1u << 20;
// What the settings keep: the edge column is read back as 1-300, the transparency as 0-100,
// and the tab and indent widths as their low byte (0 read as 4).
constexpr int kMaxEdge = 300, kMaxAlpha = 100, kMaxWidth = 255;
}

void CEditPage::setup(QWidget* page)
{
    const Values v = m_host.values();
    auto* box = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    auto* flags = new QVBoxLayout;
    const char* names[] = {"Syntax &Highlight", "&Word Wrap", "Show &Line Numbers", "Show White&Space",
                           "Show &End Of Line", "Show Indentation Guides"};
    for (int i = 0; i < 6; ++i) {
        const unsigned bit = 1u << (9 + i);
        QCheckBox* c = check(page, 100 + i, names[i]);
        c->setChecked((v.editorMask & bit) != 0);
        watch(c);
        flags->addWidget(c);
        m_boxes.push_back({c, bit});
    }
    top->addLayout(flags);

    auto* right = new QVBoxLayout;
    auto* widths = new QGridLayout;
    widths->addWidget(label(page, -1, "Tab width:"), 0, 0);
    m_tab = spin(page, 130, 1, kMaxWidth, v.tabSize);
    widths->addWidget(m_tab, 0, 1);
    widths->addWidget(label(page, -1, "&Indent width:"), 1, 0);
    m_indent = spin(page, 132, 1, kMaxWidth, v.indentSize);
    widths->addWidget(m_indent, 1, 1);
    watch(m_tab);
    watch(m_indent);
    right->addLayout(widths);
    const char* uses[] = {"Using properties settings", "Always use &space", "Always use Tab"};
    const int use = int((v.editorMask & kTabUseMask) >> 18);
    for (int i = 0; i < 3; ++i) {
        m_tabUse[i] = radio(page, 109 + i, uses[i]);
        m_tabUse[i]->setChecked(i == use || (use == 3 && i == 0));
        watch(m_tabUse[i]);
        right->addWidget(m_tabUse[i]);
    }
    top->addLayout(right);
    box->addLayout(top);

    auto* edge = new QGroupBox(page);
    auto* edgeGrid = new QGridLayout(edge);
    QCheckBox* edgeOn = check(edge, 112, "Column Edge");
    edgeOn->setChecked((v.editorMask & kColumnEdge) != 0);
    watch(edgeOn);
    m_boxes.push_back({edgeOn, kColumnEdge});
    edgeGrid->addWidget(edgeOn, 0, 0, 1, 2);
    edgeGrid->addWidget(label(edge, -1, "&Position:"), 1, 0);
    m_edgePos = spin(edge, 134, 1, kMaxEdge, v.lineEdgePos);
    watch(m_edgePos);
    edgeGrid->addWidget(m_edgePos, 1, 1);
    edgeGrid->addWidget(label(edge, -1, "&Color:"), 1, 2);
    m_edgeColor = colorButton(edge, 136);
    m_edgeColor->setDefaultColor(v.lineEdgeColor);
    watch(m_edgeColor);
    edgeGrid->addWidget(m_edgeColor, 1, 3);
    m_asLine = radio(edge, 115, "Display as line");
    m_asBack = radio(edge, 116, "Dispaly as background");
    (v.editorMask & kEdgeAsLine ? m_asLine : m_asBack)->setChecked(true);
    watch(m_asLine);
    watch(m_asBack);
    edgeGrid->addWidget(m_asLine, 2, 0, 1, 2);
    edgeGrid->addWidget(m_asBack, 2, 2, 1, 2);
    box->addWidget(edge);

    auto* line = new QGroupBox(page);
    auto* lineGrid = new QGridLayout(line);
    QCheckBox* lineOn = check(line, 117, "Highlight current line");
    lineOn->setChecked((v.editorMask & kHighlightLine) != 0);
    watch(lineOn);
    m_boxes.push_back({lineOn, kHighlightLine});
    lineGrid->addWidget(lineOn, 0, 0, 1, 2);
    lineGrid->addWidget(label(line, -1, "&Color:"), 0, 2);
    m_lineColor = colorButton(line, 137);
    m_lineColor->setDefaultColor(v.highLightColor);
    watch(m_lineColor);
    lineGrid->addWidget(m_lineColor, 0, 3);
    m_transparent = check(line, 119, "Transparent");
    m_transparent->setChecked((v.editorMask & kTransparent) != 0);
    watch(m_transparent);
    m_boxes.push_back({m_transparent, kTransparent});
    lineGrid->addWidget(m_transparent, 1, 0);
    m_alpha = new QSlider(Qt::Horizontal, line);
    m_alpha->setObjectName(QStringLiteral("id139"));
    m_alpha->setRange(0, kMaxAlpha);
    m_alpha->setValue(qBound(0, v.lineTransparent, kMaxAlpha));
    m_alphaField = spin(line, 138, 0, kMaxAlpha, v.lineTransparent);
    QObject::connect(m_alpha, &QSlider::valueChanged, m_alphaField, &QSpinBox::setValue);
    QObject::connect(m_alphaField, &QSpinBox::valueChanged, m_alpha, &QSlider::setValue);
    watch(m_alpha);
    lineGrid->addWidget(m_alpha, 1, 1, 1, 2);
    lineGrid->addWidget(m_alphaField, 1, 3);
    auto enableAlpha = [this](bool on) {
        m_alpha->setEnabled(on);
        m_alphaField->setEnabled(on);
    };
    enableAlpha(m_transparent->isChecked());
    QObject::connect(m_transparent, &QCheckBox::toggled, page, enableAlpha);
    box->addWidget(line);
    box->addStretch();
}

bool CEditPage::apply(QString* error)
{
    Values v = m_host.values();
    unsigned bits = kEdgeAsLine | kTabUseMask, value = 0;
    collectBits(m_boxes, bits, value);
    if (m_asLine->isChecked())
        value |= kEdgeAsLine;
    for (unsigned i = 0; i < 3; ++i)
        if (m_tabUse[i]->isChecked())
            value |= i << 18;
    v.editorMask = withBits(v.editorMask, bits, value);
    v.tabSize = m_tab->value() & 0xFF;
    v.indentSize = m_indent->value() & 0xFF;
    v.lineEdgePos = m_edgePos->value();
    v.lineEdgeColor = m_edgeColor->color();
    v.highLightColor = m_lineColor->color();
    v.lineTransparent = m_alpha->value() & 0xFF;
    auto n = [](int x) { return QString::number(x); };
    if (!m_host.store({{kEditor, QStringLiteral("EditorMask"), n(int(v.editorMask))},
                       {kEditor, QStringLiteral("TabSize"), n(v.tabSize)},
                       {kEditor, QStringLiteral("IndentSize"), n(v.indentSize)},
                       {kEditor, QStringLiteral("LineEdgePos"), n(v.lineEdgePos)},
                       {kEditor, QStringLiteral("LineEdgeColor"), n(v.lineEdgeColor)},
                       {kEditor, QStringLiteral("HighLightColor"), n(v.highLightColor)},
                       {kEditor, QStringLiteral("LineTransparent"), n(v.lineTransparent)}})) {
        *error = storeFailed();
        return false;
    }
    m_applied = true;
    m_host.valuesApplied(EditPage, v);
    return true;
}

} // namespace options
