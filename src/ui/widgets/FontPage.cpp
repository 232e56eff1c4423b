#include "ui/widgets/ColorButton.h"
#include "ui/widgets/Pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace options {

namespace {

const QString kFont = QStringLiteral("FONT");
constexpr int kMaxSchemes = 10;
constexpr int kMaxSize = 400;

std::string colourText(int ref)
{
    const QColor c = fromColorRef(ref);
    return QString::asprintf("#%02X%02X%02X", c.red(), c.green(), c.blue()).toStdString();
}

} // namespace

std::vector<std::string> CFontPage::readSchemes(const OptionsHost& host)
{
    std::vector<std::string> out;
    for (int n = 1; n <= kMaxSchemes; ++n) {
        const QString value = host.readString(kFont, QString::number(n));
        if (value.isEmpty())
            break;
        const std::string def = value.toStdString();
        const StyleSpec style = StyleSpec::Parse(def);
        if (style.font.empty() || style.font[0] == ' ')
            break;
        out.push_back(def);
    }
    return out;
}

void CFontPage::setup(QWidget* page)
{
    m_stored = readSchemes(m_host);
    for (const std::string& s : m_stored)
        m_schemes.push_back(StyleSpec::Parse(s));

    auto* grid = new QGridLayout(page);
    grid->addWidget(label(page, -1, "Item:"), 0, 0);
    m_item = new QComboBox(page);
    m_item->setObjectName(QStringLiteral("id124"));
    for (size_t i = 0; i < m_schemes.size(); ++i)
        m_item->addItem(text(-1, "Font ") + QString::number(i + 1));
    grid->addWidget(m_item, 0, 1, 1, 3);

    grid->addWidget(label(page, -1, "&Font:"), 1, 0);
    m_font = new QComboBox(page);
    m_font->setObjectName(QStringLiteral("id120"));
    for (const QString& family : QFontDatabase::families()) {
        m_font->addItem(family);
        m_font->setItemData(m_font->count() - 1, QFont(family), Qt::FontRole);
    }
    grid->addWidget(m_font, 1, 1, 1, 3);

    grid->addWidget(label(page, -1, "Size:"), 2, 0);
    m_size = spin(page, 125, 0, kMaxSize, 0);
    m_size->setSpecialValueText(QStringLiteral(" "));
    grid->addWidget(m_size, 2, 1);
    auto* styles = new QHBoxLayout;
    m_bold = check(page, 107, "&Bold");
    m_italic = check(page, 108, "&Italic");
    m_underline = check(page, 109, "&Underline");
    styles->addWidget(m_bold);
    styles->addWidget(m_italic);
    styles->addWidget(m_underline);
    grid->addLayout(styles, 2, 2, 1, 2);

    grid->addWidget(label(page, -1, "Foreground:"), 3, 0);
    m_fore = colorButton(page, 126);
    grid->addWidget(m_fore, 3, 1);
    grid->addWidget(label(page, -1, "Background:"), 3, 2);
    m_back = colorButton(page, 123);
    grid->addWidget(m_back, 3, 3);

    m_sample = new QLabel(page);
    m_sample->setObjectName(QStringLiteral("id121"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::StyledPanel);
    m_sample->setMinimumHeight(64);
    m_sample->setAutoFillBackground(true);
    grid->addWidget(m_sample, 4, 0, 1, 4);

    grid->addWidget(label(page, -1, "&Value:"), 5, 0);
    m_value = new QLineEdit(page);
    m_value->setObjectName(QStringLiteral("id122"));
    m_value->setReadOnly(true);
    grid->addWidget(m_value, 5, 1, 1, 3);
    grid->setRowStretch(6, 1);

    const int curSel = m_host.readInt(kFont, QStringLiteral("CurSel"), 1);
    showScheme(curSel >= 1 && curSel <= int(m_schemes.size()) ? curSel - 1 : (m_schemes.empty() ? -1 : 0));
    const bool any = !m_schemes.empty();
    for (QWidget* w : {static_cast<QWidget*>(m_font), static_cast<QWidget*>(m_size), static_cast<QWidget*>(m_bold),
                       static_cast<QWidget*>(m_italic), static_cast<QWidget*>(m_underline),
                       static_cast<QWidget*>(m_fore), static_cast<QWidget*>(m_back)}) {
        w->setEnabled(any);
        watch(w);
    }
    watch(m_item);

    QObject::connect(m_item, &QComboBox::currentIndexChanged, page, [this](int i) { showScheme(i); });
    auto edited = [this] {
        if (m_loading)
            return;
        takeControls();
        updateSample();
    };
    QObject::connect(m_font, &QComboBox::currentIndexChanged, page, edited);
    QObject::connect(m_size, &QSpinBox::valueChanged, page, edited);
    for (QCheckBox* c : {m_bold, m_italic, m_underline})
        QObject::connect(c, &QCheckBox::toggled, page, edited);
    QObject::connect(m_fore, &CColorButton::colorChanged, page, edited);
    QObject::connect(m_back, &CColorButton::colorChanged, page, edited);
}

void CFontPage::showScheme(int index)
{
    m_current = index;
    m_loading = true;
    if (index >= 0 && index < int(m_schemes.size())) {
        const StyleSpec& s = m_schemes[size_t(index)];
        if (m_item->currentIndex() != index)
            m_item->setCurrentIndex(index);
        const QString family = QString::fromStdString(s.font);
        int at = m_font->findText(family, Qt::MatchFixedString);
        if (at < 0) {
            // A name the system does not have (or a list of names) stays as configured.
            m_font->insertItem(0, family);
            at = 0;
        }
        m_font->setCurrentIndex(at);
        m_size->setValue(qBound(0, s.size, kMaxSize));
        m_bold->setChecked(s.bold);
        m_italic->setChecked(s.italics);
        m_underline->setChecked(s.underlined);
        m_fore->setDefaultColor(int(s.ForeColour()));
        m_fore->setColor(int(s.ForeColour()));
        m_back->setDefaultColor(int(s.BackColour()));
        m_back->setColor(int(s.BackColour()));
    }
    m_loading = false;
    updateSample();
}

void CFontPage::takeControls()
{
    if (m_current < 0 || m_current >= int(m_schemes.size()))
        return;
    StyleSpec& s = m_schemes[size_t(m_current)];
    s.font = m_font->currentText().toStdString();
    s.size = m_size->value();
    s.bold = m_bold->isChecked();
    s.italics = m_italic->isChecked();
    s.underlined = m_underline->isChecked();
    s.fore = colourText(m_fore->color());
    s.back = colourText(m_back->color());
}

void CFontPage::updateSample()
{
    if (m_current < 0 || m_current >= int(m_schemes.size())) {
        m_sample->clear();
        m_value->clear();
        return;
    }
    const StyleSpec& s = m_schemes[size_t(m_current)];
    QFont f(QString::fromStdString(s.font).section(QLatin1Char(','), 0, 0).trimmed());
    if (s.size > 0)
        f.setPointSize(s.size);
    f.setBold(s.bold);
    f.setItalic(s.italics);
    f.setUnderline(s.underlined);
    m_sample->setFont(f);
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, fromColorRef(int(s.ForeColour())));
    pal.setColor(QPalette::Window, fromColorRef(int(s.BackColour())));
    m_sample->setPalette(pal);
    m_sample->setText(text(-1, "Hello Velmo!"));
    m_value->setText(QString::fromStdString(FormatStyleSpec(s)));
}

bool CFontPage::apply(QString* error)
{
    if (m_schemes.empty())
        return true;   // nothing to write: the built-in default style stays in use
    QList<SettingWrite> writes;
    for (size_t i = 0; i < m_schemes.size(); ++i) {
        // A scheme left as it was keeps its stored text, attributes the page does not show included.
        const StyleSpec stored = StyleSpec::Parse(m_stored[i]);
        if (FormatStyleSpec(stored) == FormatStyleSpec(m_schemes[i]))
            continue;
        writes.push_back({kFont, QString::number(i + 1), QString::fromStdString(FormatStyleSpec(m_schemes[i]))});
    }
    const int curSel = m_item->currentIndex() + 1;
    writes.push_back({kFont, QStringLiteral("CurSel"), QString::number(curSel)});
    if (!m_host.store(writes)) {
        *error = storeFailed();
        return false;
    }
    for (size_t i = 0; i < m_schemes.size(); ++i)
        m_stored[i] = FormatStyleSpec(StyleSpec::Parse(m_stored[i])) == FormatStyleSpec(m_schemes[i])
            ? m_stored[i] : FormatStyleSpec(m_schemes[i]);
    m_host.fontSchemesApplied(curSel);
    return true;
}

} // namespace options
