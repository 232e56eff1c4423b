#pragma once
// The accelerator table and the one application-wide key dispatcher.
//
// An accelerator entry keeps the layout of the key map file: modifier flags, a Windows
// virtual-key code and a command id, so that a key map or a tool's shortcut numbers load
// into the same table. Key presses are translated to virtual keys here.
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

class QKeyEvent;
class QWidget;

namespace cmd {

enum AccelFlags : std::uint8_t {
    FVIRTKEY = 0x01,
    FSHIFT = 0x04,
    FCONTROL = 0x08,
    FALT = 0x10,
};

struct AccelEntry {
    std::uint8_t flags = FVIRTKEY;
    std::uint16_t key = 0;   // virtual-key code
    std::uint16_t cmd = 0;
    bool operator==(const AccelEntry&) const = default;
};

// The built-in table: the default keys of the command table, in table order.
std::vector<AccelEntry> defaultAccelerators();

// The keys of a user tool's shortcut numbers ("7602185,..."), bound to `command`: each
// number is one key, its low byte the flags and its high 16 bits the virtual key (7602185
// is Ctrl+F5); 0 and anything that is no number stand for no key.
std::vector<AccelEntry> toolAccelerators(const QString& shortcutNumbers, int command);
// Puts `entries` in place of the table's entries for the commands first..last, after every
// other entry, so that the key map keeps the first word; at most `room` of them are kept.
void replaceAccelerators(std::vector<AccelEntry>& table, int first, int last,
                         const std::vector<AccelEntry>& entries, size_t room);

// "Ctrl+Shift+F3" -> flags and virtual key; false when the text names no key.
bool parseShortcut(const QString& text, AccelEntry& out);
// "Ctrl+" "Shift+" "Alt+" and the key's name, as menus show it.
QString shortcutName(const AccelEntry& entry);
// The name of one virtual key ("F3", "Tab", "]", "Page Up"); empty when unknown.
QString keyName(int vk);

// The virtual key of a Qt key press (0 when it has none). Shifted punctuation of the
// US layout maps back to its key, so Ctrl+Shift+0 and Ctrl+Shift+] are found.
int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The virtual key of a key event. With X11-style key codes (xcb and Wayland) the digit
// row is recognised by its position, as virtual keys are, so Alt+1 works on layouts
// whose digit keys type other characters.
int virtualKeyFromEvent(const QKeyEvent& event, bool x11KeyCodes);
// The accelerator flags of the Ctrl, Shift and Alt modifiers.
std::uint8_t flagsFromQt(Qt::KeyboardModifiers modifiers);

// Looks up a key press in a table; returns the command id or 0. The first entry wins.
int lookupAccelerator(const std::vector<AccelEntry>& table, int qtKey, Qt::KeyboardModifiers modifiers);
int lookupVirtualKey(const std::vector<AccelEntry>& table, int vk, Qt::KeyboardModifiers modifiers);

// Sits on the QApplication as an event filter. While the target window is the active
// window and no popup menu is open, a key press that matches an entry of the table is
// taken away from the focused widget and reported as command(id, true); every other key
// goes on to the focused widget untouched.
class KeyDispatcher : public QObject {
    Q_OBJECT
public:
    explicit KeyDispatcher(QObject* parent = nullptr);
    ~KeyDispatcher() override;

    // Installs the filter on the running QApplication (once).
    void install();
    void setTarget(QWidget* window);
    QWidget* target() const { return m_target; }

    void setTable(std::vector<AccelEntry> table);
    const std::vector<AccelEntry>& table() const { return m_table; }

    // Also serve the frame's own modeless windows (floating panels, modeless find
    // dialogs) while no modal dialog runs. Off by default: only the frame itself.
    void setIncludeOwnedWindows(bool on) { m_ownedWindows = on; }

    // Disabled, the dispatcher lets every key through (e.g. while a key is being recorded).
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }

signals:
    void command(int id, bool fromAccelerator = true);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool targetActive() const;

    QPointer<QWidget> m_target;
    std::vector<AccelEntry> m_table;
    bool m_enabled = true;
    bool m_installed = false;
    bool m_ownedWindows = false;
};

} // namespace cmd
