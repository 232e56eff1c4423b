#pragma once
// The template commands of the main frame: the template panel in the side panel, Insert
// Template (223, the pop-up list at the caret) and Add Template (224, the selection as a
// new template of the panel's current group).
#include "templates/widgets/TemplateDocker.h"

#include <QObject>
#include <QPointer>

class AppSettings;
class CMainFrame;

class CTemplateCommands : public QObject, public templates::ITemplateHost {
    Q_OBJECT
public:
    // Opens velmo.db in the data folder and puts the panel into the side panel's tab 1.
    explicit CTemplateCommands(CMainFrame& frame);
    // Writes the selected group to [USER] "template".
    ~CTemplateCommands() override;

    // 223 and 224; false for other commands.
    // The group shown, kept for the next start ([USER] "template"); at exit.
    void saveState();
    bool onCommand(int id);
    templates::CTemplateDocker* docker() const { return m_docker; }

    // ITemplateHost
    QsciScintillaBase* activeTextView() override;
    templates::MacroContext macroContext() override;

private:
    void insertTemplate();
    void addTemplate();

    CMainFrame& m_frame;
    AppSettings& m_settings;   // outlives the frame; written when the frame goes
    QPointer<templates::CTemplateDocker> m_docker;
    QString m_group;
};
