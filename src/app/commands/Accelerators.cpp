#include "app/commands/Accelerators.h"

#include "app/commands/CommandTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <cstring>

namespace cmd {
namespace {

// Virtual-key codes of the keys the editor names.
enum : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_PAUSE = 0x13, VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D,
    VK_DELETE = 0x2E, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F24 = 0x87,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

struct NamedKey {
    int vk;
    const char* name;
};

constexpr NamedKey kNamedKeys[] = {
    {VK_BACK, "Backspace"}, {VK_TAB, "Tab"}, {VK_RETURN, "Enter"}, {VK_PAUSE, "Pause"},
    {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"}, {VK_PRIOR, "Page Up"}, {VK_NEXT, "Page Down"},
    {VK_END, "End"}, {VK_HOME, "Home"}, {VK_LEFT, "Left"}, {VK_UP, "Up"}, {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"}, {VK_INSERT, "Insert"}, {VK_DELETE, "Delete"}, {VK_APPS, "Application"},
    {VK_MULTIPLY, "Num *"}, {VK_ADD, "Num +"}, {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num Del"},
    {VK_DIVIDE, "Num /"}, {VK_OEM_1, ";"}, {VK_OEM_PLUS, "="}, {VK_OEM_COMMA, ","},
    {VK_OEM_MINUS, "-"}, {VK_OEM_PERIOD, "."}, {VK_OEM_2, "/"}, {VK_OEM_3, "`"}, {VK_OEM_4, "["},
    {VK_OEM_5, "\\"}, {VK_OEM_6, "]"}, {VK_OEM_7, "'"},
};

// Punctuation of the US layout: unshifted and shifted character, and its key.
struct PunctKey {
    char plain;
    char shifted;
    int vk;
};
constexpr PunctKey kPunct[] = {
    {';', ':', VK_OEM_1}, {'=', '+', VK_OEM_PLUS}, {',', '<', VK_OEM_COMMA},
    {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
    {'`', '~', VK_OEM_3}, {'[', '{', VK_OEM_4}, {'\\', '|', VK_OEM_5}, {']', '}', VK_OEM_6},
    {'\'', '"', VK_OEM_7},
};
// Shift and a digit of the US layout.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

int vkFromName(const QString& name)
{
    if (name.size() == 1) {
        QChar c = name.at(0).toUpper();
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return c.unicode();
    }
    if (name.size() >= 2 && name.at(0).toUpper() == QLatin1Char('F')) {
        bool ok = false;
        int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 24)
            return VK_F1 + n - 1;
    }
    for (const NamedKey& k : kNamedKeys)
        if (name.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.vk;
    if (name.compare(QLatin1String("Return"), Qt::CaseInsensitive) == 0)
        return VK_RETURN;
    return 0;
}

} // namespace

std::vector<AccelEntry> toolAccelerators(const QString& shortcutNumbers, int command)
{
    std::vector<AccelEntry> out;
    for (const QString& word : shortcutNumbers.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const quint32 n = word.trimmed().toUInt(&ok);
        if (!ok || n == 0 || (n >> 16) == 0)
            continue;
        AccelEntry e;
        e.flags = std::uint8_t(n & 0xFF);
        e.key = std::uint16_t(n >> 16);
        e.cmd = std::uint16_t(command);
        out.push_back(e);
    }
    return out;
}

void replaceAccelerators(std::vector<AccelEntry>& table, int first, int last, const std::vector<AccelEntry>& entries,
                         size_t room)
{
    std::erase_if(table, [&](const AccelEntry& e) { return e.cmd >= first && e.cmd <= last; });
    for (size_t i = 0; i < entries.size() && i < room; ++i)
        table.push_back(entries[i]);
}

std::vector<AccelEntry> defaultAccelerators()
{
    std::vector<AccelEntry> table;
    for (const CommandInfo& c : commands()) {
        const QStringList keys = QString::fromLatin1(c.keys).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& k : keys) {
            AccelEntry e;
            if (parseShortcut(k.trimmed(), e)) {
                e.cmd = static_cast<std::uint16_t>(c.id);
                table.push_back(e);
            }
        }
    }
    return table;
}

bool parseShortcut(const QString& text, AccelEntry& out)
{
    QString rest = text.trimmed();
    std::uint8_t flags = FVIRTKEY;
    for (;;) {
        int plus = rest.indexOf(QLatin1Char('+'));
        if (plus <= 0 || plus == rest.size() - 1)
            break;
        QString mod = rest.left(plus);
        if (mod.compare(QLatin1String("Ctrl"), Qt::CaseInsensitive) == 0)
            flags |= FCONTROL;
        else if (mod.compare(QLatin1String("Shift"), Qt::CaseInsensitive) == 0)
            flags |= FSHIFT;
        else if (mod.compare(QLatin1String("Alt"), Qt::CaseInsensitive) == 0)
            flags |= FALT;
        else
            break;
        rest = rest.mid(plus + 1);
    }
    int vk = vkFromName(rest);
    if (vk == 0)
        return false;
    out.flags = flags;
    out.key = static_cast<std::uint16_t>(vk);
    return true;
}

QString keyName(int vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return QString(QChar(vk));
    if (vk >= VK_F1 && vk <= VK_F24)
        return QStringLiteral("F%1").arg(vk - VK_F1 + 1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return QStringLiteral("Num %1").arg(vk - VK_NUMPAD0);
    for (const NamedKey& k : kNamedKeys)
        if (k.vk == vk)
            return QString::fromLatin1(k.name);
    return {};
}

QString shortcutName(const AccelEntry& e)
{
    QString s;
    if (e.flags & FCONTROL)
        s += QLatin1String("Ctrl+");
    if (e.flags & FSHIFT)
        s += QLatin1String("Shift+");
    if (e.flags & FALT)
        s += QLatin1String("Alt+");
    return s + keyName(e.key);
}

std::uint8_t flagsFromQt(Qt::KeyboardModifiers m)
{
    std::uint8_t f = FVIRTKEY;
    if (m & Qt::ControlModifier)
        f |= FCONTROL;
    if (m & Qt::ShiftModifier)
        f |= FSHIFT;
    if (m & Qt::AltModifier)
        f |= FALT;
    return f;
}

int virtualKeyFromQt(int key, Qt::KeyboardModifiers m)
{
    const bool keypad = m & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    default: break;
    }
    if (keypad) {
        switch (key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if (key > 0 && key < 0x80) {
        for (int d = 0; d < 10; ++d)
            if (kShiftedDigits[d] == key)
                return '0' + d;
        for (const PunctKey& p : kPunct)
            if (p.plain == key || p.shifted == key)
                return p.vk;
    }
    return 0;
}

int virtualKeyFromEvent(const QKeyEvent& event, bool x11KeyCodes)
{
    if (x11KeyCodes && !(event.modifiers() & Qt::KeypadModifier)) {
        // Key codes 10-19 are the digit row 1 ... 9, 0.
        const quint32 code = event.nativeScanCode();
        if (code >= 10 && code <= 19)
            return code == 19 ? '0' : int('1' + (code - 10));
        // Elsewhere a shifted digit's character is some other key of this layout.
        const int key = event.key();
        if (key > 0 && key < 0x80 && std::strchr(kShiftedDigits, key))
            return 0;
    }
    return virtualKeyFromQt(event.key(), event.modifiers());
}

int lookupAccelerator(const std::vector<AccelEntry>& table, int qtKey, Qt::KeyboardModifiers m)
{
    return lookupVirtualKey(table, virtualKeyFromQt(qtKey, m), m);
}

int lookupVirtualKey(const std::vector<AccelEntry>& table, int vk, Qt::KeyboardModifiers m)
{
    if (vk == 0)
        return 0;
    std::uint8_t flags = flagsFromQt(m);
    for (const AccelEntry& e : table)
        if (e.key == vk && (e.flags | FVIRTKEY) == flags)
            return e.cmd;
    return 0;
}

// ------------------------------------------------------------------------------------

KeyDispatcher::KeyDispatcher(QObject* parent) : QObject(parent), m_table(defaultAccelerators()) {}

KeyDispatcher::~KeyDispatcher()
{
    if (m_installed && qApp)
        qApp->removeEventFilter(this);
}

void KeyDispatcher::install()
{
    if (m_installed || !qApp)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

void KeyDispatcher::setTarget(QWidget* window)
{
    m_target = window;
}

void KeyDispatcher::setTable(std::vector<AccelEntry> table)
{
    m_table = std::move(table);
}

bool KeyDispatcher::targetActive() const
{
    if (!m_target || !m_enabled)
        return false;
    if (QApplication::activePopupWidget())
        return false;
    // The window that receives the keys: the focus window, which the active widget
    // window follows only after the activation event has been processed.
    QWidget* frame = m_target->window();
    QWidget* active = QApplication::activeWindow();
    if (QWindow* focus = QGuiApplication::focusWindow()) {
        if (frame->windowHandle() == focus)
            return true;
        if (!active || active->windowHandle() != focus)
            return false;
    } else if (active == frame) {
        return true;
    }
    if (!m_ownedWindows || !active || QApplication::activeModalWidget())
        return false;
    for (QWidget* w = active->parentWidget(); w; w = w->parentWidget())
        if (w->window() == frame)
            return true;
    return false;
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type t = event->type();
    if (t != QEvent::KeyPress && t != QEvent::ShortcutOverride)
        return false;
    if (!targetActive())
        return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    static const bool x11KeyCodes = QGuiApplication::platformName() == QLatin1String("xcb") ||
                                    QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    int id = lookupVirtualKey(m_table, virtualKeyFromEvent(*ke, x11KeyCodes), ke->modifiers());
    if (id == 0)
        return false;
    // A console with the focus types with its keys (Ctrl+C, Ctrl+V, Tab...); keys with Alt
    // and the function keys stay the window's.
    if (QWidget* f = QApplication::focusWidget(); f && f->property("velmoTypedKeys").toBool()
        && !(ke->modifiers() & Qt::AltModifier) && !(ke->key() >= Qt::Key_F1 && ke->key() <= Qt::Key_F35))
        return false;
    if (t == QEvent::ShortcutOverride) {
        // Claim the key so that no shortcut of a widget takes it; the key press follows.
        ke->accept();
        return true;
    }
    ke->accept();
    emit command(id, true);
    return true;
}

} // namespace cmd
