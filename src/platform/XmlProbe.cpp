#include "platform/XmlProbe.h"

#include <algorithm>
#include <cstring>

namespace xmlprobe {

int nestingDepth(const QByteArray& s)
{
    const qsizetype n = s.size();
    int depth = 0, deepest = 0;
    auto skipTo = [&](qsizetype from, const char* end) {
        const qsizetype at = s.indexOf(end, from);
        return at < 0 ? n : at + qsizetype(std::strlen(end));
    };
    for (qsizetype i = 0; i < n;) {
        if (s[i] != '<') {
            ++i;
            continue;
        }
        if (s.mid(i, 4) == "<!--") {
            i = skipTo(i + 4, "-->");
        } else if (s.mid(i, 9) == "<![CDATA[") {
            i = skipTo(i + 9, "]]>");
        } else if (i + 1 < n && (s[i + 1] == '!' || s[i + 1] == '?')) {
            i = skipTo(i + 2, ">");
        } else if (i + 1 < n && s[i + 1] == '/') {
            // A stray closing tag closes nothing: the parser stops or skips it.
            depth = std::max(0, depth - 1);
            i = skipTo(i + 2, ">");
        } else {
            // An opening tag: up to its ">" outside quotes; "/>" closes it at once.
            char quote = 0, last = 0;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                const char c = s[j];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                    last = c;
                }
            }
            if (last != '/')
                deepest = std::max(deepest, ++depth);
            else
                deepest = std::max(deepest, depth + 1);
            i = j + 1;
        }
    }
    return deepest;
}

} // namespace xmlprobe
