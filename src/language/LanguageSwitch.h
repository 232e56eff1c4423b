#pragma once
// What choosing an item of the Language menu does to a document: 700 shows it in
// the hex view, 701 + index shows it as text in that language. Switching between
// hex and text reloads the file, so a modified document is offered the save prompt
// first, and a document without a file cannot go to the hex view at all.

namespace lang {

enum class SwitchAction {
    Nothing,        // already in that view and language, or not possible
    ToHex,          // replace the text view by a hex view loaded from the file
    ToText,         // replace the hex view by a text view loaded from the file,
                    // then re-apply the chosen language
    Reapply,        // same text view, re-apply the chosen language
};

struct SwitchPlan {
    SwitchAction action = SwitchAction::Nothing;
    bool askToSaveFirst = false;   // the document is modified and will be reloaded
};

struct DocumentView {
    bool isHex = false;
    int language = 0;        // language index of a text view
    bool modified = false;
    bool hasFile = true;     // false for "<new>" and other paths starting with "<"
};

// requested: -1 for hex, else a language index.
SwitchPlan PlanLanguageSwitch(const DocumentView& doc, int requested);

} // namespace lang
