#include "templates/widgets/TemplateInsert.h"

#include "templates/TemplateText.h"

#include <Qsci/qsciscintillabase.h>

namespace templates {

bool insertTemplate(QsciScintillaBase& view, const QString& content, const MacroContext& context)
{
    using SB = QsciScintillaBase;
    if (view.SendScintilla(SB::SCI_GETREADONLY))
        return false;
    view.SendScintilla(SB::SCI_BEGINUNDOACTION);
    if (view.SendScintilla(SB::SCI_GETSELECTIONSTART) != view.SendScintilla(SB::SCI_GETSELECTIONEND))
        view.SendScintilla(SB::SCI_REPLACESEL, 0UL, "");
    const long pos = view.SendScintilla(SB::SCI_GETCURRENTPOS);
    const long line = view.SendScintilla(SB::SCI_LINEFROMPOSITION, pos);

    InsertLayout layout;
    layout.indentColumns = int(view.SendScintilla(SB::SCI_GETLINEINDENTATION, line));
    layout.useTabs = view.SendScintilla(SB::SCI_GETUSETABS) != 0;
    layout.tabWidth = int(view.SendScintilla(SB::SCI_GETTABWIDTH));
    switch (view.SendScintilla(SB::SCI_GETEOLMODE)) {
    case SB::SC_EOL_CRLF: layout.eol = "\r\n"; break;
    case SB::SC_EOL_CR: layout.eol = "\r"; break;
    default: layout.eol = "\n"; break;
    }

    MacroExpander expander(context);
    const QByteArray bytes = content.toUtf8();
    const Insertion ins = buildInsertion(std::string_view(bytes.constData(), size_t(bytes.size())), layout, expander);
    view.SendScintilla(SB::SCI_INSERTTEXT, static_cast<unsigned long>(pos), ins.text.c_str());
    const long caret = pos + (ins.caret >= 0 ? ins.caret : 0);
    view.SendScintilla(SB::SCI_SETSEL, static_cast<unsigned long>(caret), caret);
    view.SendScintilla(SB::SCI_ENDUNDOACTION);
    view.SendScintilla(SB::SCI_SCROLLCARET);
    return true;
}

} // namespace templates
