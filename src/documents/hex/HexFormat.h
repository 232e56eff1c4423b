#pragma once
// Formatting helpers of the hex view: a printf-like formatter that is safe with translated
// format strings, and the texts the view shows.
#include <QString>
#include <QVariant>
#include <cstdint>
#include <vector>

namespace hex {

// Fills a printf-style format with the given arguments. Understands %d, %u, %x, %X and %s
// with an optional "0" flag and a width, and "%%". A conversion without an argument left,
// or one it does not know, stays in the text as written, so a broken translation can
// never read past the arguments.
QString formatPrintf(const QString& format, const std::vector<QVariant>& args);

// Translated texts of the hex view. Numbers are the view's entries in the string table.
namespace ids {
constexpr int StatusOffset = 2600;  // "Offset %XH %d  Sel %d"
constexpr int HeaderOffset = 2601;  // "Offset"
constexpr int ModeHex = 2602;       // "Hex"
constexpr int ModeOvertype = 2603;  // "OVR"
constexpr int SizeChanged = 2604;   // reason shown when the file's size changed on disk
constexpr int FileReplaced = 2605;  // reason shown when another file took the file's path
constexpr int SaveFailure = 1036;   // "Save file failure.\n%s\n\n%s"
} // namespace ids

// The document size as the status bar shows it: below 1024 the number with digit grouping
// and " Bytes", otherwise KB, MB or GB with two decimals.
QString sizeText(int64_t size);

} // namespace hex
