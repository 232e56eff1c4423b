#pragma once
// What the search dialogs and commands need from the main window: the active text view,
// the open text documents in their order, the result views and the "close after find"
// option.
#include <QObject>
#include <QString>

#include <vector>

class QsciScintillaBase;

namespace search {

class CFindView;

class SearchHost {
public:
    struct TextDocument {
        QsciScintillaBase* view = nullptr;
        QString name;               // full path, or "<...>" for a document without a file
        QObject* document = nullptr;
    };

    virtual ~SearchHost() = default;
    // Null when no document is open or the active one is shown as hex.
    virtual QsciScintillaBase* activeTextView() = 0;
    virtual std::vector<TextDocument> textDocuments() = 0;   // main-frame order, text views only
    virtual TextDocument activeTextDocument() = 0;
    // Shows the bottom panel with result view `index` (0 or 1) and returns it.
    virtual CFindView* showResultView(int index) = 0;
    virtual bool closeDialogAfterFind() = 0;
    // A search dialog opened or closed (toolbar states follow).
    virtual void searchDialogsChanged() = 0;
};

} // namespace search
