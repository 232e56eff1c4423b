#pragma once
// A cheap look at XML before it is parsed.
#include <QByteArray>

namespace xmlprobe {

// The deepest element nesting in `s`, counted the way the XML parser will see it (comments,
// CDATA, declarations and quoted attribute values hold no elements). The parser recurses
// once per level, so hostile nesting is refused before it is parsed.
int nestingDepth(const QByteArray& s);

} // namespace xmlprobe
