// Menu and toolbar states for the typical editor situations.
#include "app/commands/CommandStates.h"
#include "app/commands/CommandTable.h"

#include <gtest/gtest.h>

using namespace cmd;
using Doc = UiSnapshot::Doc;

namespace {

bool on(const UiSnapshot& s, int id)
{
    return menuState(s, id).enabled;
}
bool checked(const UiSnapshot& s, int id)
{
    return menuState(s, id).checked;
}

UiSnapshot textDocument()
{
    UiSnapshot s;
    s.doc = Doc::Text;
    s.path = QStringLiteral("/src/main.c");
    s.documentCount = 1;
    s.activeDocument = 0;
    s.viewFlags = 0b100011;   // wrap, syntax, indentation guides
    s.encoding = 3;
    s.eolMode = 2;
    s.language = 4;
    return s;
}

} // namespace

TEST(MenuStates, WithoutADocumentOnlyDocumentFreeCommandsAreEnabled)
{
    UiSnapshot s;
    for (int id : {100, 101, 110, 111, 116, 300, 301, 302, 303, 304, 406, 684, 686, 802, 803, 804, 820, 825})
        EXPECT_TRUE(on(s, id)) << id;
    for (int id : {102, 103, 104, 105, 106, 107, 108, 109, 112, 117, 200, 201, 202, 203, 205, 206, 208, 209, 231,
                   305, 306, 316, 400, 402, 407, 408, 417, 500, 501, 508, 509, 510, 680, 681, 682, 683, 700, 701,
                   800, 801, 810, 813})
        EXPECT_FALSE(on(s, id)) << id;
    // Paste needs only text on the clipboard.
    EXPECT_FALSE(on(s, 204));
    s.clipboardHasText = true;
    EXPECT_TRUE(on(s, 204));
    EXPECT_FALSE(on(s, 208));
    // Nothing of a document is checked.
    for (int id : {305, 306, 500, 503, 509, 681, 700, 701})
        EXPECT_FALSE(checked(s, id)) << id;
    EXPECT_TRUE(checked(s, 300));
    EXPECT_TRUE(checked(s, 302));
}

TEST(MenuStates, TextDocumentChecksItsViewFlagsEncodingLineEndAndLanguage)
{
    UiSnapshot s = textDocument();
    EXPECT_TRUE(checked(s, 306));    // wrap, bit 0
    EXPECT_TRUE(checked(s, 305));    // syntax, bit 1
    EXPECT_FALSE(checked(s, 307));
    EXPECT_FALSE(checked(s, 309));
    EXPECT_TRUE(checked(s, 310));    // guides, bit 5
    EXPECT_TRUE(on(s, 314));
    EXPECT_TRUE(checked(s, 504));
    EXPECT_FALSE(checked(s, 501));
    // LF is the current mode: its command is the disabled one.
    EXPECT_FALSE(on(s, 507));
    EXPECT_TRUE(on(s, 506));
    EXPECT_TRUE(on(s, 508));
    s.eolMode = 1;
    EXPECT_FALSE(on(s, 508));
    EXPECT_TRUE(on(s, 507));
    EXPECT_TRUE(on(s, 700));
    EXPECT_FALSE(checked(s, 700));
    EXPECT_TRUE(checked(s, 705));
    EXPECT_FALSE(checked(s, 701));
    EXPECT_TRUE(on(s, 701));
    // Unmodified: Save and Reload wait for a change; the rest of File is there.
    EXPECT_FALSE(on(s, 106));
    EXPECT_FALSE(on(s, 109));
    EXPECT_TRUE(on(s, 107));
    EXPECT_TRUE(on(s, 112));
    // Selection-bound Edit items.
    EXPECT_FALSE(on(s, 203));
    EXPECT_TRUE(on(s, 209));
    s.hasSelection = true;
    for (int id : {202, 203, 205, 207, 219, 220, 224})
        EXPECT_TRUE(on(s, id)) << id;
    EXPECT_FALSE(on(s, 208));
    s.clipboardHasText = true;
    EXPECT_TRUE(on(s, 208));
    s.canUndo = true;
    EXPECT_TRUE(on(s, 200));
    EXPECT_FALSE(on(s, 201));
}

TEST(MenuStates, ModifiedReadOnlyAndHexDocuments)
{
    UiSnapshot s = textDocument();
    s.modified = true;
    EXPECT_TRUE(on(s, 106));
    EXPECT_TRUE(on(s, 109));

    // A file with the read-only attribute: the toggle is off limits, clearing is offered.
    s.fileReadOnly = true;
    EXPECT_FALSE(on(s, 509));
    EXPECT_TRUE(on(s, 510));
    s.fileReadOnly = false;
    s.docReadOnly = true;
    EXPECT_TRUE(on(s, 509));
    EXPECT_TRUE(checked(s, 509));
    EXPECT_FALSE(on(s, 510));

    // A hex document: Hex is checked, no language is, text-only items are off.
    s.doc = Doc::Hex;
    EXPECT_TRUE(on(s, 700));
    EXPECT_TRUE(checked(s, 700));
    EXPECT_FALSE(checked(s, 705));
    EXPECT_TRUE(on(s, 705));
    for (int id : {112, 305, 306, 320, 330, 407, 408, 410, 500, 504, 681, 682})
        EXPECT_FALSE(on(s, id)) << id;
    EXPECT_FALSE(checked(s, 306));
    for (int id : {102, 400, 402, 680, 683, 800})
        EXPECT_TRUE(on(s, id)) << id;
}

TEST(MenuStates, PanelsClipboardMonitorAndUserTools)
{
    UiSnapshot s = textDocument();
    s.bottomPanelVisible = true;
    s.bottomPanelTab = 1;
    EXPECT_TRUE(checked(s, 808));
    EXPECT_FALSE(checked(s, 807));
    EXPECT_FALSE(checked(s, 804));
    s.bottomPanelVisible = false;
    EXPECT_FALSE(checked(s, 808));
    EXPECT_TRUE(toolbarState(s, 808) == CommandState{});

    s.monitorClipboard = true;
    EXPECT_TRUE(checked(s, 681));

    s.tools = {{0, ""}, {2, ""}, {2, "*.cpp;*.C"}};
    EXPECT_TRUE(on(s, 600));
    EXPECT_TRUE(on(s, 601));
    EXPECT_TRUE(on(s, 602));   // "*.C" matches main.c without regard to case
    s.path = QStringLiteral("/src/readme.txt");
    EXPECT_FALSE(on(s, 602));
    EXPECT_TRUE(on(s, 601));
    s.path = QStringLiteral("<new>");
    EXPECT_FALSE(on(s, 601));
    EXPECT_TRUE(on(s, 600));
    s.doc = Doc::Hex;
    s.path = QStringLiteral("/src/main.cpp");
    EXPECT_FALSE(on(s, 601));
    EXPECT_TRUE(on(s, 679));   // no tool there: left alone
}

TEST(ToolbarStates, FollowTheIdleRules)
{
    UiSnapshot s;
    // No document: the document-bound buttons are off, the always-there ones on.
    for (int id : {106, 108, 311, 312, 400, 401, 306, 309, 200, 201, 204, 202})
        EXPECT_FALSE(toolbarState(s, id).enabled) << id;
    for (int id : {100, 101, 117, 406, 338, 686, 304, 820, 804})
        EXPECT_TRUE(toolbarState(s, id).enabled) << id;
    // Cut and Copy follow a focused edit field when no text document is active.
    s.focusedEditHasSelection = true;
    EXPECT_TRUE(toolbarState(s, 202).enabled);
    EXPECT_TRUE(toolbarState(s, 205).enabled);
    s.clipboardHasText = true;
    EXPECT_FALSE(toolbarState(s, 204).enabled);

    s = textDocument();
    s.clipboardHasText = true;
    s.focusedEditHasSelection = true;
    EXPECT_FALSE(toolbarState(s, 202).enabled);   // the view's empty selection rules
    EXPECT_TRUE(toolbarState(s, 204).enabled);
    EXPECT_TRUE(toolbarState(s, 108).enabled);
    EXPECT_TRUE(toolbarState(s, 306).checked);
    EXPECT_FALSE(toolbarState(s, 309).checked);
    s.viewFlags |= 1 << 4;
    EXPECT_TRUE(toolbarState(s, 309).checked);
    s.doc = Doc::Hex;
    s.focusedEditHasSelection = false;
    EXPECT_FALSE(toolbarState(s, 306).enabled);
    EXPECT_FALSE(toolbarState(s, 306).checked);
    EXPECT_TRUE(toolbarState(s, 311).enabled);
}
