#pragma once
// Puts a template into a text view at the caret, as one undo step: a selection is replaced,
// the template's later lines take the caret line's indentation and the document's line
// end, variables are expanded, and the caret goes to the "|" marker (or stays at the start
// of the inserted text).
#include "templates/MacroExpander.h"

#include <QString>

class QsciScintillaBase;

namespace templates {

// False when nothing was inserted (a read-only document).
bool insertTemplate(QsciScintillaBase& view, const QString& content, const MacroContext& context);

} // namespace templates
