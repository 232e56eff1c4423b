#pragma once
// Marker and indicator numbers shared by every text view and by the code that reads or sets
// them (bookmarks, marks, search, sessions). One place, so the numbers never drift apart.

namespace textdoc {

constexpr int kBookmarkMarker = 1;          // circle in the symbol margin
constexpr int kBookmarkMask = 1 << kBookmarkMarker;
constexpr int kMarkIndicator = 31;          // "Mark" / "Mark All": rounded box, red
constexpr int kOccurrenceIndicator = 29;    // occurrences of the selected word: rounded box, yellow
constexpr int kFirstSpareIndicator = 26;    // 26-28 are set up alike for other users

} // namespace textdoc
