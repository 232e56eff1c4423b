#pragma once
// The options dialog over the editor's settings: the host its pages read and write
// through, and the commands that open it (686-692).
#include "ui/widgets/OptionsHost.h"

class AppSettings;
class CMainFrame;

class CAppOptionsHost : public options::OptionsHost {
public:
    explicit CAppOptionsHost(CMainFrame& frame);

    options::Values values() const override;
    QString readString(const QString& section, const QString& key, const QString& def) const override;
    int readInt(const QString& section, const QString& key, int def) const override;
    bool store(const QList<options::SettingWrite>& writes) override;
    void valuesApplied(int page, const options::Values& values) override;
    void fontSchemesApplied(int curSel) override;
    void reapplyDocuments() override;
    void checkForUpdate() override;
    void loadTools(tools::ToolPageModel& model) override;
    bool applyTools(tools::ToolPageModel& model) override;
    QStringList readSection(const QString& section) const override;
    bool storeSections(const QList<options::SettingWrite>& writes, const QList<options::SectionWrite>& sections) override;
    std::vector<cmd::AccelEntry> keyTable() const override;
    std::vector<ui::KeyPageModel::Tool> keyTools() const override;
    bool applyKeys(const ui::KeyPageModel& model, QString* error) override;
    void fileBrowserApplied() override;
    QString languageFolder() const override;

private:
    CMainFrame& m_frame;
    AppSettings& m_settings;
};

// Runs the options dialog at the page `command` opens (686-692).
void runOptionsDialog(CMainFrame& frame, int command);
