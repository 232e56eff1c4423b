#pragma once
// One page of the options dialog. The page's window is made in the dialog's page area the
// first time the page is shown; from then on every change of one of its controls marks
// the page as changed, and applying writes its values back.
#include "ui/widgets/OptionsHost.h"

#include <QString>
#include <functional>
#include <initializer_list>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLayout;
class QLabel;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace options {

class CColorButton;

// A check box bound to one bit of the option word, and the row that makes one.
struct MaskBox {
    QCheckBox* box;
    unsigned bit;
};
struct MaskItem {
    int id;
    const char* text;
    unsigned bit;
};

class COptionsPage {
public:
    COptionsPage(OptionsHost& host, int dialogId, const char* title);
    virtual ~COptionsPage();
    COptionsPage(const COptionsPage&) = delete;
    COptionsPage& operator=(const COptionsPage&) = delete;

    // Stores the page's values. On failure nothing of the page is stored, the values in
    // force stay as they were, and `error` says what went wrong.
    virtual bool apply(QString* error) = 0;
    // The dialog closes without applying.
    virtual void cancel() {}
    // Another page of the dialog was stored (the Key page follows the Tool page's tools).
    virtual void otherPageApplied(int page) { (void)page; }
    // Makes the page's window in `area`; `changed` is called on every later change.
    QWidget* create(QWidget* area, std::function<void()> changed);
    void destroy();
    void show(bool on);
    // The page's title (translated).
    QString name() const;

    bool isCreated() const { return m_window != nullptr; }
    bool isChanged() const { return m_changed; }
    int dialogId() const { return m_dialogId; }
    QWidget* window() const { return m_window; }

protected:
    // Builds the controls in `page` and fills them from the settings.
    virtual void setup(QWidget* page) = 0;

    // A change of the user's: marks the page (ignored while it is being set up).
    void markChanged();
    // Watches a control's changes.
    void watch(QWidget* control);

    // A translated text of this page's dialog.
    QString text(int controlId, const char* english) const;
    // Controls named "id<n>" so that they can be found and translated by their number.
    QCheckBox* check(QWidget* parent, int id, const char* english);
    QRadioButton* radio(QWidget* parent, int id, const char* english);
    QSpinBox* spin(QWidget* parent, int id, int min, int max, int value);
    QLabel* label(QWidget* parent, int id, const char* english);
    CColorButton* colorButton(QWidget* parent, int id);
    // The mask with the page's bits replaced.
    static unsigned withBits(unsigned mask, unsigned bits, unsigned value) { return (mask & ~bits) | (value & bits); }
    // Check boxes for `items`, ticked from `mask`, added to `layout` and watched.
    void addMaskBoxes(QWidget* parent, QLayout* layout, std::initializer_list<MaskItem> items, unsigned mask,
                      std::vector<MaskBox>& out);
    // The bits the boxes stand for (added to `bits`) and those ticked (added to `value`).
    static void collectBits(const std::vector<MaskBox>& boxes, unsigned& bits, unsigned& value);
    // The message of a failed write.
    QString storeFailed() const;

    OptionsHost& m_host;

private:
    int m_dialogId;
    const char* m_title;
    QWidget* m_window = nullptr;
    bool m_settingUp = false;
    bool m_changed = false;
    std::function<void()> m_onChange;
};

} // namespace options
