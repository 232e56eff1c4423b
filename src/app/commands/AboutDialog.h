#pragma once
// The About box: the program's name and version, a link to the home page, and the OK,
// "Check for &Update" and "&Feedback" buttons.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace cmd {

// "%d.%d.%d" from the version the program was built with; "1.0" when it has none.
QString programVersion();
QString formatVersion(int major, int minor, int build);   // "1.0" when major < 0

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    enum ControlId { IdOk = 1, IdVersion = 1000, IdHomeLink = 1001, IdCheckUpdate = 1002, IdFeedback = 1003 };
    static constexpr int DialogId = 2;

    // checkForUpdate runs the manual update check (the update client in normal mode by default).
    explicit CAboutDialog(QWidget* parent = nullptr, std::function<void()> checkForUpdate = {});

    QLabel* versionLabel() const { return m_version; }
    QLabel* homeLink() const { return m_link; }
    QPushButton* checkUpdateButton() const { return m_checkUpdate; }
    QPushButton* feedbackButton() const { return m_feedback; }

private:
    QLabel* m_version;
    QLabel* m_link;
    QPushButton* m_checkUpdate;
    QPushButton* m_feedback;
    std::function<void()> m_checkForUpdate;
};

} // namespace cmd
