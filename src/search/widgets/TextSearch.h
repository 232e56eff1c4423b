#pragma once
// The search loop inside one text view, through the editing component's target search:
// find next and previous with wrap-around, replace, replace all, find all and mark all.
// The texts and options come from a SearchOptions record.
#include "search/SearchOptions.h"

#include <QString>

#include <functional>

class QsciScintillaBase;

namespace search {

// What each text view remembers about the last search run in it.
struct SearchRunState {
    int componentFlags = -1;
    bool forward = false;
    long lastMatch = -1;
    long firstMatch = -1;
    int lastResult = 0;
};

enum FindResult { FindEmpty = -1, FindNotFound = 0, FindFound = 1, FindPassedEnd = 2 };

// The run state kept with `view` (created on first use, gone with the view).
SearchRunState& runStateOf(QsciScintillaBase& view);

// One find next; selects the match. Shows "Passed the end of file." when a run has come
// round to its first match again.
int findNext(QsciScintillaBase& view, SearchOptions& options);
// Find next with the direction reversed for this one search.
int findPrevious(QsciScintillaBase& view, SearchOptions& options);

// The Replace button: replaces the selected match (finding one first when the selection
// is not the last match found) and selects the next one. False when nothing was replaced.
bool replaceOnce(QsciScintillaBase& view, SearchOptions& options);

// Replaces every match in the range the options give (selection, or the document from its
// start or, without wrap-around, from the selection start) as one undo step. Returns the
// count. A read-only document is left alone and counts 0.
int replaceAll(QsciScintillaBase& view, const SearchOptions& options);

// Every match of the find text: `sink` gets the match's start and end. Returns the count.
// The step after a match is the length of the prepared text.
int forEachMatch(QsciScintillaBase& view, const SearchOptions& options,
                 const std::function<void(long start, long end)>& sink);

// Mark all: the bookmark marker on each match's line, or the mark indicator over each match.
int markAll(QsciScintillaBase& view, const SearchOptions& options, bool bookmarks);

// The search word: the selection when it lies on one line and is shorter than 256 bytes,
// else with no selection the word at the caret. False when there is none.
bool takeSearchWord(QsciScintillaBase& view, QString* word);

// Line `line` (0-based) of the view as text, without its line end.
QString lineText(QsciScintillaBase& view, long line);

// Goes to 1-based line `line` and scrolls so that two lines show above it where possible.
void showLine(QsciScintillaBase& view, int line);

} // namespace search
