#pragma once
// Base-font schemes: the [FONT] section of the settings holds up to ten style
// definitions under "1" to "10" and the selected number under "CurSel". The selected
// one is the global default style of every text view.
#include "language/StyleDefinition.h"

#include <QFont>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace fonts {

// Used when the selected scheme is empty.
inline constexpr const char* kDefaultScheme = "font:fixedsys,back:#CCE8CF";
inline constexpr int kMaxSchemes = 10;
// Commands choosing scheme 1-10, and the toolbar's drop-down button.
inline constexpr int kFirstSchemeCommand = 826;
inline constexpr int kSetFontCommand = 338;
inline constexpr int kChangeFontCommand = 689;

struct FontScheme {
    int number = 0;           // 1-10, the [FONT] key
    std::string definition;   // the style definition string (ANSI bytes)
    QString label;            // "&1 Courier New" or "&1 Courier New, 10"
    int command = 0;          // 826 for scheme 1
};

// The value of [FONT] key n ("1".."10"); an empty string when missing.
using SchemeReader = std::function<QString(int number)>;

// The schemes shown in the Set Font menu: "1", "2", ... in order, up to the first
// empty one or one without a font name, at most ten.
std::vector<FontScheme> SchemeMenu(const SchemeReader& read);

// The global default style for the selected number: that scheme's string, or the
// default scheme when the key is empty.
std::string SelectedScheme(const SchemeReader& read, int curSel);

// The family a view draws with for a configured font list ("a,b"): the first
// family the system has, else the system's fixed-pitch family. Fonts such as
// "fixedsys" or "Courier New" usually do not exist here. The configured name
// itself stays in the style definitions (exporters write it as configured).
QString ScreenFamily(const std::string& configuredFonts);

// The screen font of a scheme (the hex view's font): family as above, size in
// points (0 read as 10), bold and italic.
QFont SchemeFont(const StyleSpec& scheme);

} // namespace fonts
