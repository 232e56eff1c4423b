#pragma once
// The check that notices when a document's file was changed or removed by another
// program: the stored file stamp against the file's current one, the reload question and
// the missing-file status text.
#include "documents/text/Document.h"

#include <functional>

class QWidget;

namespace textdoc {

enum class OutsideChange {
    None,       // no file, or the stamp is unchanged
    Changed,    // silent check: the file changed (the caller reloads)
    Reloaded,   // the user chose to reload
    Kept,       // the user kept the text: the document counts as modified
    Missing,    // the file is gone: the document counts as modified
};

// The question asked for a changed file: text 1066 with the path, and when the document
// holds unsaved changes a warning that a reload loses them.
QString reloadQuestion(const QString& path, bool modified);
// Status text for a file that no longer exists (1045).
QString missingFileText(const QString& path);

// Compares stamps and, unless `silent`, asks whether to reload. `reload` performs the
// reload and returns whether it worked (it stores the new stamp itself); a failed
// reload keeps the text as No does.
OutsideChange checkOutsideChange(DocumentRecord& doc, bool silent, bool modified, QWidget* parent,
                                 const std::function<bool()>& reload);

} // namespace textdoc
