#pragma once
// The key map file keymap.key and the table the key dispatcher runs on.
//
// File: a 4-byte little-endian signed count N, then N records of 6 bytes: flags (0x01
// virtual key, 0x04 Shift, 0x08 Ctrl, 0x10 Alt), a reserved 0 byte, the virtual-key code
// and the command id, both 16-bit little-endian. Valid only when 0 <= N < 1000 and the
// file is exactly 4 + 6 * N bytes long; anything else selects the built-in table.
#include <QWidget>   // before the dispatcher's QPointer<QWidget>
#include "app/commands/Accelerators.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace keymap {

using cmd::AccelEntry;

constexpr int kMaxEntries = 1000;   // a count must stay below this
constexpr int kToolRoom = 80;       // room kept for the shortcuts of user tools

QByteArray encode(const std::vector<AccelEntry>& entries);
// The entries of a key map file's bytes, or nothing when the bytes are not a valid file.
std::optional<std::vector<AccelEntry>> decode(const QByteArray& bytes);

// Reads `path`; nothing when it is missing, short, too large or inconsistent.
std::optional<std::vector<AccelEntry>> read(const QString& path);
// Writes `path` in one step (a failure leaves the old file as it was).
bool write(const QString& path, const std::vector<AccelEntry>& entries, QString* error = nullptr);

// Extra entries appended after the key map's own: the shortcuts of user tools.
using ExtraProvider = std::function<std::vector<AccelEntry>()>;

// The accelerator table: the key map file's entries when it is valid, else the built-in
// defaults; then the provider's entries.
std::vector<AccelEntry> load(const QString& path, const ExtraProvider& extra = {});

// A tool shortcut as the tool store keeps it: the flags in the low byte, bits 8-15 clear,
// the virtual-key code in the high 16 bits (Ctrl+F5 is 0x740009).
std::uint32_t toolShortcutNumber(const AccelEntry& e);
AccelEntry entryFromToolShortcut(std::uint32_t number, int command);
// The tool store's Shortcut value: the numbers in decimal, separated by commas ("" for none).
QString toolShortcutValue(const std::vector<AccelEntry>& entries);
// The entries of a Shortcut value for tool command `command`; malformed numbers are skipped.
std::vector<AccelEntry> parseToolShortcuts(const QString& value, int command);

} // namespace keymap
