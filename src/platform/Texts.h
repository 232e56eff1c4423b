#pragma once
// Every user-visible text is looked up by its number: a string-table number, a menu
// command id or a dialog number. The built-in English text is the fallback; a
// translation plugs in through setTextProvider.
#include <QString>
#include <functional>

namespace texts {

enum class Kind { String, Menu, Dialog, ContextMenu };

// Returns the translated text for (kind, id), or an empty optional-like null QString
// when the provider has none.
using Provider = std::function<QString(Kind kind, int id)>;

void setProvider(Provider provider);

// The text for string number `id`, falling back to `english`.
QString str(int id, const char* english);
// The label of menu command `id`, falling back to `english`.
QString menu(int id, const char* english);
// A text of dialog `dialogId` (control id `controlId`, 0 for the caption).
QString dialog(int dialogId, int controlId, const char* english);
// The label of command `id` in context menu `menuId`, falling back to `english`.
QString contextMenu(int menuId, int id, const QString& english);

// True when `translated` holds the same printf conversions as `english`, in the same
// order and of the same types ("%1"-style inserts count too). A translated text that
// fails this is never used: the English one is, so a translation cannot crash a format.
bool formatCompatible(const QString& english, const QString& translated);

} // namespace texts
