#include "documents/text/OutsideChanges.h"

#include "platform/Seams.h"
#include "platform/Texts.h"

namespace textdoc {

QString reloadQuestion(const QString& path, bool modified)
{
    QString text = texts::str(1066, "%s\n\nThe file has been modified outside of this application. "
                                    "Do you want to reload it?")
                       .replace(QLatin1String("%s"), path);
    if (modified)
        text += QLatin1String("\n\n")
            + texts::str(2110, "This document has unsaved changes: reloading replaces them with the file's text.");
    return text;
}

QString missingFileText(const QString& path)
{
    return texts::str(1045, "File '%s' doesn't exist.").replace(QLatin1String("%s"), path);
}

OutsideChange checkOutsideChange(DocumentRecord& doc, bool silent, bool modified, QWidget* parent,
                                 const std::function<bool()>& reload)
{
    if (!doc.hasFile())
        return OutsideChange::None;
    const int32_t stamp = fileStamp(doc.path);
    if (stamp == doc.fileStamp)
        return OutsideChange::None;
    if (silent)
        return OutsideChange::Changed;
    if (stamp == -1) {
        // Gone: the old stamp stays, so every activation tells again until it is back or saved.
        doc.changedOutside = true;
        return OutsideChange::Missing;
    }
    const int answer = seams::message(parent, reloadQuestion(doc.path, modified),
                                      seams::MB_YESNO | seams::MB_ICONQUESTION);
    if (answer == seams::IDYES && reload()) {
        doc.fileStamp = fileStamp(doc.path);
        doc.changedOutside = false;
        return OutsideChange::Reloaded;
    }
    doc.fileStamp = stamp;
    doc.changedOutside = true;
    return OutsideChange::Kept;
}

} // namespace textdoc
