#pragma once
// The pages of the options dialog built here; each edits the settings named beside its controls.
#include "ui/widgets/OptionsPage.h"

#include <QList>
#include <string>
#include <utility>
#include <vector>

#include "language/StyleDefinition.h"
#include "shell/ShellIntegration.h"
#include "filebrowser/Favorites.h"
#include "tools/ToolPageModel.h"
#include "ui/KeyPage.h"
#include "ui/MuiPage.h"

#include <memory>

class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QToolButton;
class QLineEdit;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace options {

class CGeneralPage : public COptionsPage {
public:
    explicit CGeneralPage(OptionsHost& host) : COptionsPage(host, GeneralPage, "General") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    std::vector<MaskBox> m_boxes;
    QSpinBox* m_mru = nullptr;
    QCheckBox* m_browser = nullptr;       // 106: open HTML files with the editor
    QCheckBox* m_contextMenu = nullptr;   // 107: the file managers' context menus
    shell::ShellOptions m_shellShown;     // as the desktop's files said when last read
};

class CMDIPage : public COptionsPage {
public:
    explicit CMDIPage(OptionsHost& host) : COptionsPage(host, DocumentPage, "Document") {}
    bool apply(QString* error) override;
    // The encodings offered, in list order, with the value stored for each.
    static const std::vector<std::pair<const char*, int>>& encodings();

protected:
    void setup(QWidget* page) override;

private:
    std::vector<MaskBox> m_boxes;
    QCheckBox* m_remember = nullptr;
    QRadioButton* m_action[3] = {nullptr, nullptr, nullptr};
    QLineEdit* m_language = nullptr;
    QComboBox* m_encoding = nullptr;
};

class CEditPage : public COptionsPage {
public:
    explicit CEditPage(OptionsHost& host) : COptionsPage(host, EditPage, "Edit") {}
    bool apply(QString* error) override;
    // Whether the page applied since the dialog opened.
    bool appliedOnce() const { return m_applied; }

protected:
    void setup(QWidget* page) override;

private:
    std::vector<MaskBox> m_boxes;
    QSpinBox* m_tab = nullptr;
    QSpinBox* m_indent = nullptr;
    QRadioButton* m_tabUse[3] = {nullptr, nullptr, nullptr};
    QSpinBox* m_edgePos = nullptr;
    CColorButton* m_edgeColor = nullptr;
    QRadioButton* m_asLine = nullptr;
    QRadioButton* m_asBack = nullptr;
    CColorButton* m_lineColor = nullptr;
    QCheckBox* m_transparent = nullptr;
    QSlider* m_alpha = nullptr;
    QSpinBox* m_alphaField = nullptr;
    bool m_applied = false;
};

class CFontPage : public COptionsPage {
public:
    explicit CFontPage(OptionsHost& host) : COptionsPage(host, FontPage, "Font") {}
    bool apply(QString* error) override;

    // The schemes offered: "1", "2", ... up to the first empty one or one whose font name
    // is empty or begins with a blank, at most ten.
    static std::vector<std::string> readSchemes(const OptionsHost& host);

protected:
    void setup(QWidget* page) override;

private:
    void showScheme(int index);
    void takeControls();
    void updateSample();

    std::vector<std::string> m_stored;   // as read
    std::vector<StyleSpec> m_schemes;    // as edited
    int m_current = -1;
    bool m_loading = false;
    QComboBox* m_item = nullptr;
    QComboBox* m_font = nullptr;
    QSpinBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    CColorButton* m_fore = nullptr;
    CColorButton* m_back = nullptr;
    QLabel* m_sample = nullptr;
    QLineEdit* m_value = nullptr;
};

class CColorPage : public COptionsPage {
public:
    explicit CColorPage(OptionsHost& host) : COptionsPage(host, ColorPage, "Color") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    CColorButton* m_buttons[8] = {};
};

class CMacroPage : public COptionsPage {
public:
    explicit CMacroPage(OptionsHost& host) : COptionsPage(host, MacroPage, "Macro") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    QLineEdit* m_fields[3] = {nullptr, nullptr, nullptr};
};

// The keys of the menu commands: a tree of the main menu, the selected command's keys, a
// field that takes the next key pressed, and "-" / "+". Applying writes keymap.key and the
// tools' keys.
class CKeyPage : public COptionsPage {
public:
    explicit CKeyPage(OptionsHost& host) : COptionsPage(host, KeyPage, "Key") {}
    bool apply(QString* error) override;
    void otherPageApplied(int page) override;
    const ui::KeyPageModel* model() const { return m_model.get(); }

protected:
    void setup(QWidget* page) override;

private:
    void fillTree();
    void showSelected();
    void addKey();
    void removeKey();

    std::unique_ptr<ui::KeyPageModel> m_model;
    QTreeWidget* m_tree = nullptr;
    QListWidget* m_keys = nullptr;
    QLineEdit* m_hotkey = nullptr;
    QToolButton* m_minus = nullptr;
    QToolButton* m_plus = nullptr;
    QLabel* m_keysLabel = nullptr;
    QLabel* m_hotkeyLabel = nullptr;
};

// The favourite folders of the file panel ([FAVORITE] 1 to 100).
class CFavPage : public COptionsPage {
public:
    explicit CFavPage(OptionsHost& host) : COptionsPage(host, FavoritePage, "Favorite") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    void refill();
    void refresh();

    filebrowser::FavoritesModel m_model;
    bool m_filling = false;
    QListWidget* m_list = nullptr;
    QLineEdit* m_path = nullptr;
    QToolButton* m_browse = nullptr;
    QToolButton *m_new = nullptr, *m_delete = nullptr, *m_up = nullptr, *m_down = nullptr;
};

// What a double click in the file panel opens in the editor, and the entries of its filter box.
class CFileViewPage : public COptionsPage {
public:
    explicit CFileViewPage(OptionsHost& host) : COptionsPage(host, FileWindowPage, "File Window") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    filebrowser::FileWindowModel m_model;
    QRadioButton* m_white = nullptr;
    QRadioButton* m_black = nullptr;
    QLineEdit* m_whiteList = nullptr;
    QLineEdit* m_blackList = nullptr;
    QPlainTextEdit* m_filters = nullptr;
};

// The user tools: the page edits its own copy of the tool table, written on Apply.
class CToolPage : public COptionsPage {
public:
    explicit CToolPage(OptionsHost& host) : COptionsPage(host, ToolPage, "Tool") {}
    bool apply(QString* error) override;
    const tools::ToolPageModel& model() const { return m_model; }

protected:
    void setup(QWidget* page) override;

private:
    QToolButton* button(QWidget* parent, int id, const char* english);
    void refill();    // the list from the model, then the fields
    void refresh();   // the selected row's fields and the enabling rules

    tools::ToolPageModel m_model;
    bool m_filling = false;
    QListWidget* m_list = nullptr;
    QToolButton *m_new = nullptr, *m_delete = nullptr, *m_up = nullptr, *m_down = nullptr;
    QLineEdit *m_name = nullptr, *m_dir = nullptr, *m_filters = nullptr;
    QPlainTextEdit* m_command = nullptr;
    QToolButton *m_dirButton = nullptr, *m_fileButton = nullptr, *m_varButton = nullptr;
    QLabel* m_filterLabel = nullptr;
    std::vector<MaskBox> m_flags;
};

// The language of the interface: "Default" or a translation file; used from the next start.
class CMUIPage : public COptionsPage {
public:
    explicit CMUIPage(OptionsHost& host) : COptionsPage(host, MuiPage, "MUI") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    std::unique_ptr<ui::MuiPageModel> m_model;
    QListWidget* m_list = nullptr;
};

class CUpdatePage : public COptionsPage {
public:
    explicit CUpdatePage(OptionsHost& host) : COptionsPage(host, UpdatePage, "Update") {}
    bool apply(QString* error) override;

protected:
    void setup(QWidget* page) override;

private:
    QCheckBox* m_auto = nullptr;
    QSpinBox* m_interval = nullptr;
};

} // namespace options
