#pragma once
// What a text view shows on top of its text: bookmarks, marks, the highlight of the other
// occurrences of a selected word, and folding (fold levels, fold-margin clicks, the fold
// changes of editing).
class CTextView;

namespace marks {

// Bookmarks: toggle on the caret's line, clear all, next / previous with wrap-around.
void toggleBookmark(CTextView& view, long line);
void clearBookmarks(CTextView& view);
void nextBookmark(CTextView& view, bool forward);

// Clear All Mark: the mark indicator leaves the whole text.
void clearMarks(CTextView& view);

// Collapses (or expands) every fold header of level k (0-7) that is not so already.
void foldLevel(CTextView& view, int level, bool collapse);
// Collapse All / Expand All.
void foldAll(CTextView& view, bool collapse);
// A click in a margin at `position` with the component's modifier bits.
void marginClick(CTextView& view, int margin, long position, int modifiers);
// A fold level changed while editing.
void foldChanged(CTextView& view, long line, int levelNow, int levelPrev);
// The component needs [position, position + length) shown.
void needShown(CTextView& view, long position, long length);

// Word bytes of the occurrence highlight.
bool isWordByte(unsigned char c);
// Redoes the occurrence highlight for the lines on screen.
void highlightOccurrences(CTextView& view);

// Handles the view's commands of this kind; false for any other command.
bool command(CTextView& view, int id);

} // namespace marks
