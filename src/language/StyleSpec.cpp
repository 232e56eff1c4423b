#include "language/StyleSpec.h"

#include "language/PropSetFile.h"

#include <cstdio>

uint32_t StyleSpec::ForeColour() const { return props::ColourFromString(fore); }
uint32_t StyleSpec::BackColour() const { return props::ColourFromString(back); }

StyleSpec StyleSpec::Parse(std::string_view definition) {
    StyleSpec spec;
    while (!definition.empty()) {
        size_t comma = definition.find(',');
        std::string_view item = definition.substr(0, comma);
        definition = comma == std::string_view::npos ? std::string_view() : definition.substr(comma + 1);
        size_t colon = item.find(':');
        std::string_view name = item.substr(0, colon);
        std::string_view value = colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
        if (name == "italics") {
            spec.italics = true;
            spec.given |= kItalics;
        } else if (name == "notitalics") {
            spec.italics = false;
            spec.given |= kItalics;
        } else if (name == "bold") {
            spec.bold = true;
            spec.given |= kBold;
        } else if (name == "notbold") {
            spec.bold = false;
            spec.given |= kBold;
        } else if (name == "font") {
            spec.font.assign(value);
            for (char& c : spec.font)
                if (c == '|')
                    c = ',';
            spec.given |= kFont;
        } else if (name == "fore") {
            spec.fore.assign(value);
            spec.given |= kFore;
        } else if (name == "back") {
            spec.back.assign(value);
            spec.given |= kBack;
        } else if (name == "size") {
            spec.size = props::ToInt(value);
            spec.given |= kSize;
        } else if (name == "eolfilled") {
            spec.eolfilled = true;
            spec.given |= kEolFilled;
        } else if (name == "noteolfilled") {
            spec.eolfilled = false;
            spec.given |= kEolFilled;
        } else if (name == "underlined") {
            spec.underlined = true;
            spec.given |= kUnderlined;
        } else if (name == "notunderlined") {
            spec.underlined = false;
            spec.given |= kUnderlined;
        } else if (name == "case") {
            spec.caseMode = value == "u" ? kCaseUpper : value == "l" ? kCaseLower : kCaseMixed;
            spec.given |= kCase;
        } else if (name == "visible") {
            spec.visible = true;
            spec.given |= kVisible;
        } else if (name == "notvisible") {
            spec.visible = false;
            spec.given |= kVisible;
        } else if (name == "changeable") {
            spec.changeable = true;
            spec.given |= kChangeable;
        } else if (name == "notchangeable") {
            spec.changeable = false;
            spec.given |= kChangeable;
        }
    }
    return spec;
}

std::string FormatStyleSpec(const StyleSpec& spec) {
    std::string out = "font:" + spec.font;
    char buf[32];
    if (spec.size != 0) {
        std::snprintf(buf, sizeof buf, ",size:%d", spec.size);
        out += buf;
    }
    uint32_t fore = spec.ForeColour();
    if (fore != 0) {
        std::snprintf(buf, sizeof buf, ",fore:#%02X%02X%02X", fore & 0xFF, (fore >> 8) & 0xFF, (fore >> 16) & 0xFF);
        out += buf;
    }
    uint32_t back = spec.BackColour();
    if (back != 0xFFFFFF) {
        std::snprintf(buf, sizeof buf, ",back:#%02X%02X%02X", back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
        out += buf;
    }
    if (spec.bold)
        out += ",bold";
    if (spec.italics)
        out += ",italics";
    if (spec.underlined)
        out += ",underlined";
    return out;
}
