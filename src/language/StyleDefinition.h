#pragma once
// A parsed style definition such as "font:Courier New,size:10,fore:#FF0000,bold".
// Only attributes the string named (the given mask) are ever sent to a view.
#include <cstdint>
#include <string>
#include <string_view>

struct StyleSpec {
    enum Given : unsigned {
        kFont = 0x001, kSize = 0x002, kFore = 0x004, kBack = 0x008, kBold = 0x010,
        kItalics = 0x020, kEolFilled = 0x040, kUnderlined = 0x080, kCase = 0x100,
        kVisible = 0x200, kChangeable = 0x400,
    };
    enum CaseMode { kCaseMixed = 0, kCaseUpper = 1, kCaseLower = 2 };

    std::string font;
    int size = 0;
    std::string fore = "#000000";
    std::string back = "#FFFFFF";
    bool bold = false;
    bool italics = false;
    bool eolfilled = false;
    bool underlined = false;
    int caseMode = kCaseMixed;
    bool visible = true;
    bool changeable = true;
    unsigned given = 0;

    bool Has(unsigned bit) const { return (given & bit) != 0; }
    // Colours with red in the low byte.
    uint32_t ForeColour() const;
    uint32_t BackColour() const;

    // Names are compared exactly: "Bold" is not "bold" and is ignored.
    static StyleSpec Parse(std::string_view definition);
};

// The Font page's writer: "font:%s" then ",size:%d", ",fore:#RRGGBB", ",back:#RRGGBB",
// ",bold", ",italics", ",underlined" for what differs from the plain defaults.
std::string FormatStyleSpec(const StyleSpec& def);
