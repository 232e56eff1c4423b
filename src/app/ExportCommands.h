#pragma once
// The export commands of a text document: Export as HTML, RTF, PDF and LaTeX (112-115)
// and Copy as RTF (207). They restyle the whole text, read it with its style bytes out of
// the view and hand it to the exporters.
#include "language/export/Exporter.h"

#include <QString>

#include <string>
#include <vector>

class CTextView;
class QWidget;

namespace exportcmd {

// The bytes [start, end) of the view and their style bytes after a full restyle, and with
// `folds` the fold level of every line.
struct ViewText {
    std::string text;
    std::string styles;
    std::vector<int> foldLevels;

    exporting::StyledText styled(const QString& documentPath) const;
};
ViewText readView(CTextView& view, long start, long end, bool folds);

// The format of an export command; false for any other command.
bool formatOfCommand(int command, exporting::Format& format);

// Runs an export command: asks for the file, writes it, and warns when it cannot be
// written. Returns the status text to show (empty when there is none).
QString exportDocument(QWidget* parent, CTextView& view, const PropSetFile& props, const std::string& lexer,
                       const QString& documentPath, const QString& folder, exporting::Format format);

// Copy as RTF: the selection as RTF, the only format put on the clipboard. Nothing happens
// for an empty selection.
void copyAsRtf(CTextView& view, const PropSetFile& props, const std::string& lexer, const QString& documentPath);

} // namespace exportcmd
