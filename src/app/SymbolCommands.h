#pragma once
// The symbols of the main frame: the symbol panel on the side panel with one tree per
// document opened from a file, and the symbol search dialog (408). Trees are filled when
// a document is opened, after each save, and when a document with unsaved changes comes
// to the front again.
#include <QHash>
#include <QObject>
#include <QPointer>

#include <optional>

class CMainFrame;
class CChildFrame;
class CTextView;

namespace symbols {
class CFunctionDocker;
class CJumpToDialog;
struct CtagsRequest;
}

class CSymbolCommands : public QObject {
    Q_OBJECT
public:
    // Puts the symbol panel into the side panel.
    explicit CSymbolCommands(CMainFrame& frame);

    // A new document frame: its saves are followed from now on.
    void watch(CChildFrame* child);
    // A document was opened from a file.
    void documentOpened(CChildFrame* child);
    // A document window became active (nullptr: none is).
    void documentActivated(CChildFrame* child);
    // 408; false for other commands.
    bool onCommand(int id);

    symbols::CFunctionDocker* docker() const { return m_docker; }
    symbols::CJumpToDialog* dialog() const;   // the symbol search while it is open

    // What the tagger is run on for a document; nothing for one without a file or in
    // the hex view.
    std::optional<symbols::CtagsRequest> requestFor(QObject* document) const;

private:
    void afterSave(CChildFrame* child);
    void jump(int line);
    void failed();

    CMainFrame& m_frame;
    symbols::CFunctionDocker* m_docker = nullptr;
    QPointer<symbols::CJumpToDialog> m_dialog;
    // Documents whose tree was last made from unsaved text rather than from their file.
    mutable QHash<QObject*, bool> m_fromText;
};
