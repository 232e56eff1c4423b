#include "ui/widgets/OptionsPage.h"
#include "ui/widgets/ColorButton.h"

#include "platform/Texts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

namespace options {

COptionsPage::COptionsPage(OptionsHost& host, int dialogId, const char* title)
    : m_host(host), m_dialogId(dialogId), m_title(title)
{
}

COptionsPage::~COptionsPage()
{
    destroy();
}

QWidget* COptionsPage::create(QWidget* area, std::function<void()> changed)
{
    if (m_window)
        return m_window;
    m_onChange = std::move(changed);
    m_window = new QWidget(area);
    m_window->setObjectName(QStringLiteral("page%1").arg(m_dialogId));
    if (area->layout())
        area->layout()->addWidget(m_window);
    m_settingUp = true;
    setup(m_window);
    m_settingUp = false;
    // A label with a mnemonic leads to the control made right after it.
    for (QLabel* l : m_window->findChildren<QLabel*>()) {
        if (l->buddy() || !l->text().contains(QLatin1Char('&')) || !l->parentWidget())
            continue;
        const QObjectList& siblings = l->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(l) + 1; i < siblings.size(); ++i) {
            auto* w = qobject_cast<QWidget*>(siblings[i]);
            if (w && w->focusPolicy() != Qt::NoFocus) {
                l->setBuddy(w);
                break;
            }
        }
    }
    return m_window;
}

void COptionsPage::destroy()
{
    delete m_window;
    m_window = nullptr;
}

void COptionsPage::show(bool on)
{
    if (m_window)
        m_window->setVisible(on);
}

QString COptionsPage::name() const
{
    return texts::dialog(m_dialogId, 0, m_title);
}

void COptionsPage::markChanged()
{
    if (m_settingUp || !m_window)
        return;
    m_changed = true;
    if (m_onChange)
        m_onChange();
}

void COptionsPage::watch(QWidget* w)
{
    auto mark = [this] { markChanged(); };
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (auto* c = qobject_cast<CColorButton*>(w))
            QObject::connect(c, &CColorButton::colorChanged, m_window, mark);
        else if (b->isCheckable())
            QObject::connect(b, &QAbstractButton::toggled, m_window, mark);
    } else if (auto* s = qobject_cast<QSpinBox*>(w)) {
        QObject::connect(s, &QSpinBox::valueChanged, m_window, mark);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(e, &QLineEdit::textChanged, m_window, mark);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        QObject::connect(cb, &QComboBox::currentIndexChanged, m_window, mark);
        if (cb->isEditable())
            QObject::connect(cb, &QComboBox::editTextChanged, m_window, mark);
    } else if (auto* sl = qobject_cast<QSlider*>(w)) {
        QObject::connect(sl, &QSlider::valueChanged, m_window, mark);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(t, &QPlainTextEdit::textChanged, m_window, mark);
    }
}

QString COptionsPage::text(int controlId, const char* english) const
{
    return texts::dialog(m_dialogId, controlId, english);
}

static QString idName(int id)
{
    return QStringLiteral("id%1").arg(id);
}

QCheckBox* COptionsPage::check(QWidget* parent, int id, const char* english)
{
    auto* c = new QCheckBox(text(id, english), parent);
    c->setObjectName(idName(id));
    return c;
}

QRadioButton* COptionsPage::radio(QWidget* parent, int id, const char* english)
{
    auto* r = new QRadioButton(text(id, english), parent);
    r->setObjectName(idName(id));
    return r;
}

QSpinBox* COptionsPage::spin(QWidget* parent, int id, int min, int max, int value)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(idName(id));
    s->setRange(min, max);
    s->setValue(qBound(min, value, max));
    return s;
}

QLabel* COptionsPage::label(QWidget* parent, int id, const char* english)
{
    auto* l = new QLabel(text(id, english), parent);
    if (id > 0)
        l->setObjectName(idName(id));
    return l;
}

CColorButton* COptionsPage::colorButton(QWidget* parent, int id)
{
    auto* b = new CColorButton(parent);
    b->setObjectName(idName(id));
    return b;
}

QString COptionsPage::storeFailed() const
{
    return texts::str(3002, "The settings of the page \"%1\" could not be written; they were left as they were.")
        .arg(name().remove(QLatin1Char('&')));
}

void COptionsPage::addMaskBoxes(QWidget* parent, QLayout* layout, std::initializer_list<MaskItem> items,
                                unsigned mask, std::vector<MaskBox>& out)
{
    for (const MaskItem& it : items) {
        QCheckBox* c = check(parent, it.id, it.text);
        c->setChecked((mask & it.bit) != 0);
        layout->addWidget(c);
        watch(c);
        out.push_back({c, it.bit});
    }
}

void COptionsPage::collectBits(const std::vector<MaskBox>& boxes, unsigned& bits, unsigned& value)
{
    for (const MaskBox& b : boxes) {
        bits |= b.bit;
        if (b.box->isChecked())
            value |= b.bit;
    }
}

} // namespace options
