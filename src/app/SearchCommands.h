#pragma once
// The search commands of the main frame: the Find and Replace dialogs (400, 401), Find
// Next / Previous and their word forms (402-405), Add Mark (412), and the two find result
// views in the bottom panel with their jumps.
#include "search/FindInFilesWorker.h"
#include "search/widgets/FindInFilesDialog.h"
#include "search/widgets/SearchHost.h"

#include <QObject>
#include <QPointer>

class CMainFrame;
class CChildFrame;

namespace search {
class CFindView;
class SearchDialog;
struct FindResultLine;
}

class CSearchCommands : public QObject, public search::SearchHost {
    Q_OBJECT
public:
    // Puts the result views into the bottom panel.
    explicit CSearchCommands(CMainFrame& frame);

    // 400-406 and 412; false for other commands.
    bool onCommand(int id);
    bool dialogOpen() const;

    search::SearchDialog* dialog(int kind) const;
    search::FindInFilesDialog* findInFilesDialog() const { return m_findInFiles.data(); }
    // The search filling result view `index`, while it runs (and until the next one).
    search::FindInFilesWorker* findInFilesSearch(int index) const { return m_searches[index & 1].data(); }
    // Starts find in files with the search record, into the result view it names.
    void startFindInFiles();
    // Aborts every find in files and waits for their threads (the window is closing).
    void stopFindInFiles();
    search::CFindView* resultView(int index) const { return m_views[index & 1]; }
    void jump(const search::FindResultLine& line);

    // SearchHost
    QsciScintillaBase* activeTextView() override;
    std::vector<TextDocument> textDocuments() override;
    TextDocument activeTextDocument() override;
    search::CFindView* showResultView(int index) override;
    bool closeDialogAfterFind() override;
    void searchDialogsChanged() override;

private:
    void openDialog(int kind);
    void openFindInFiles();
    void findNext(bool reverse);
    void findWord(bool reverse);
    void addMark();
    TextDocument documentOf(CChildFrame* child) const;

    CMainFrame& m_frame;
    search::CFindView* m_views[2] = {nullptr, nullptr};
    QPointer<search::SearchDialog> m_find;
    QPointer<search::SearchDialog> m_replace;
    QPointer<search::FindInFilesDialog> m_findInFiles;
    QPointer<search::FindInFilesWorker> m_searches[2];
};
