#pragma once
// Expansion of $(NAME), $(UPPER(NAME)) and $(LOWER(NAME)) in template texts and tool
// command lines. Text is UTF-8 bytes in and out, as the editing component holds it.
//
// Variables: FILE, FILENAME, FILE_PATH, FILE_BASE, FILE_EXT (from the document's path),
// LINE (the caret line, 1-based), YEAR, MONTH, MONTH_02, MONTHNAME, DAY, DAY_02, HOUR,
// HOUR_02, MINUTE, DATE, DATENAME (local time from the clock seam, read once per
// expansion run), USER, EMAIL, COMPANY (user data). The case forms change the ASCII letters
// of the file and date variables; USER, EMAIL, COMPANY and LINE stay as they are.
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace templates {

// Everything the variables are made from, gathered by the caller for one expansion run.
struct MacroContext {
    QString path;           // full path of the active document; "<new>" and the like for none
    unsigned line = 0;      // caret line, 1-based
    QString user = QStringLiteral("YourName");
    QString email = QStringLiteral("YourEmail");
    QString company = QStringLiteral("YourCompany");
};

class MacroExpander {
public:
    // Reads the clock (seams::clock()) once, for the whole run.
    explicit MacroExpander(MacroContext context);

    // Empties the output and reads the clock again.
    void reset();

    // Expands one line and appends it to the output.
    void expand(std::string_view line);
    // Appends text as it is (no variables, no caret marker).
    void append(std::string_view text) { m_out.append(text); }
    const std::string& result() const { return m_out; }

    // With the caret marker on, the first "|" of the expanded texts' own characters (never
    // one that comes from a variable's value) is left out of the output and its place kept.
    void setCaretMarker(bool on) { m_marker = on; }
    // The marker's byte offset in result(), or -1.
    long caretOffset() const { return m_caret; }

    // A variable's value, or nothing for an unknown name.
    std::optional<std::string> value(std::string_view name) const;

    // One-shot: expands a whole text (lines included) with this context.
    static std::string expandText(const MacroContext& context, std::string_view text);

    static constexpr size_t MaxNameLength = 255;

private:
    enum class Case { None, Upper, Lower };
    void appendLiteral(std::string_view text);

    MacroContext m_context;
    QDateTime m_now;
    std::string m_out;
    bool m_marker = false;
    long m_caret = -1;
};

} // namespace templates
