#pragma once
// The toolbar's base-font drop-down: one entry per [FONT] definition "1", "2", ...
#include <QString>
#include <functional>
#include <vector>

namespace cmd {

struct BaseFontEntry {
    int number = 0;   // n; the command is 825 + n
    QString label;    // "&%d %s" and ", %d" with the size when the definition has one
};

// The font name ("font:") and size ("size:") of a style definition; size 0 when absent.
QString styleFontName(const QString& definition);
int styleFontSize(const QString& definition);

// Entries from the definitions read by key ("1", "2", ...). The list ends at the first
// missing or empty key, or at one without a font name, and holds at most 10 entries.
std::vector<BaseFontEntry> baseFontEntries(const std::function<QString(const QString& key)>& readFontKey);

} // namespace cmd
