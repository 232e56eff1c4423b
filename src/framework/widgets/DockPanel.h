#pragma once
// A docking panel of the main window: a tab strip whose pages are addressed by tab
// identifier. Tabs may be reordered; an identifier keeps its page wherever it goes.
#include <QDockWidget>

class QTabWidget;

namespace framework {

class DockPanel : public QDockWidget {
    Q_OBJECT
public:
    // The panel's title is the title of its selected tab.
    DockPanel(const QString& objectName, QWidget* parent = nullptr);

    // Adds a tab with identifier `id`; without a page a placeholder shows the title.
    void addPage(int id, const QString& title, QWidget* page = nullptr);
    // Puts `page` in place of the tab's current page (a placeholder is deleted), keeping
    // the tab's position and title. Returns false for an unknown identifier.
    bool setPage(int id, QWidget* page);
    QWidget* page(int id) const;

    int count() const;
    int positionOf(int id) const;       // -1 when no tab has this identifier
    int idAt(int position) const;       // -1 when out of range
    int currentId() const;
    int currentPosition() const;
    void selectId(int id);
    void selectPosition(int position);
    QTabWidget* tabs() const { return m_tabs; }

    // The extent across the docking side (width at the left and right, height at the
    // top and bottom), as the dock area gives it.
    int dockedExtent(Qt::DockWidgetArea area) const;

private:
    QTabWidget* m_tabs;
};

} // namespace framework
