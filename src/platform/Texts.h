#pragma once
// Every user-visible text is looked up by its number: a string-table number, a menu
// command id or a dialog number. The built-in English text is the fallback; a
// translation plugs in through setTextProvider.
#include <QString>
#include <functional>

namespace texts {

enum class Kind { String, Menu, Dialog };

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

} // namespace texts
