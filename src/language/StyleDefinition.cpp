#include "language/StyleDefinition.h"

#include "language/PropSetFile.h"

#include <cstdio>

uint32_t StyleSpec::ForeColour() const { return props::ColourFromString(fore); }
uint32_t StyleSpec::BackColour() const { return props::ColourFromString(back); }

StyleSpec StyleSpec::Parse(std::string_view definition) {
    StyleSpec def;
    while (!definition.empty()) {
        size_t comma = definition.find(',');
        std::string_view item = definition.substr(0, comma);
        definition = comma == std::string_view::npos ? std::string_view() : definition.substr(comma + 1);
        size_t colon = item.find(':');
        std::string_view name = item.substr(0, colon);
        std::string_view value = colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
        if (name == "italics") {
            def.italics = true;
            def.given |= kItalics;
        } else if (name == "notitalics") {
            def.italics = false;
            def.given |= kItalics;
        } else if (name == "bold") {
            def.bold = true;
            def.given |= kBold;
        } else if (name == "notbold") {
            def.bold = false;
            def.given |= kBold;
        } else if (name == "font") {
            def.font.assign(value);
            for (char& c : def.font)
                if (c == '|')
                    c = ',';
            def.given |= kFont;
        } else if (name == "fore") {
            def.fore.assign(value);
            def.given |= kFore;
        } else if (name == "back") {
            def.back.assign(value);
            def.given |= kBack;
        } else if (name == "size") {
            def.size = props::ToInt(value);
            def.given |= kSize;
        } else if (name == "eolfilled") {
            def.eolfilled = true;
            def.given |= kEolFilled;
        } else if (name == "noteolfilled") {
            def.eolfilled = false;
            def.given |= kEolFilled;
        } else if (name == "underlined") {
            def.underlined = true;
            def.given |= kUnderlined;
        } else if (name == "notunderlined") {
            def.underlined = false;
            def.given |= kUnderlined;
        } else if (name == "case") {
            def.caseMode = value == "u" ? kCaseUpper : value == "l" ? kCaseLower : kCaseMixed;
            def.given |= kCase;
        } else if (name == "visible") {
            def.visible = true;
            def.given |= kVisible;
        } else if (name == "notvisible") {
            def.visible = false;
            def.given |= kVisible;
        } else if (name == "changeable") {
            def.changeable = true;
            def.given |= kChangeable;
        } else if (name == "notchangeable") {
            def.changeable = false;
            def.given |= kChangeable;
        }
    }
    return def;
}

std::string FormatStyleSpec(const StyleSpec& def) {
    std::string out = "font:" + def.font;
    char buf[32];
    if (def.size != 0) {
        std::snprintf(buf, sizeof buf, ",size:%d", def.size);
        out += buf;
    }
    uint32_t fore = def.ForeColour();
    if (fore != 0) {
        std::snprintf(buf, sizeof buf, ",fore:#%02X%02X%02X", fore & 0xFF, (fore >> 8) & 0xFF, (fore >> 16) & 0xFF);
        out += buf;
    }
    uint32_t back = def.BackColour();
    if (back != 0xFFFFFF) {
        std::snprintf(buf, sizeof buf, ",back:#%02X%02X%02X", back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
        out += buf;
    }
    if (def.bold)
        out += ",bold";
    if (def.italics)
        out += ",italics";
    if (def.underlined)
        out += ",underlined";
    return out;
}
