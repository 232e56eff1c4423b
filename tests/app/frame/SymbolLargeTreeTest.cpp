// The symbol panel on a file with many classes (hundreds of scope groups), with the real
// tagger in a real main frame: the tree by type has every group expanded, a click deep in
// it jumps, Collapse All and Expand All reach every group, and a save rebuilds the tree
// keeping the selection.
#include "SymbolFixture.h"

namespace {

using SB = QsciScintillaBase;
using symbols::CFunctionDocker;
using symbols::CTagsTreeCtrl;

constexpr int kClasses = 400;

// Class i sits in namespace ns<i>: "class Widget<i>" on line 20 i + 2 with members
// width<i> (line 20 i + 4) and height<i>, and paint<i> defined on line 20 i + 13.
QByteArray manyClasses()
{
    QByteArray s;
    for (int i = 0; i < kClasses; ++i) {
        const QByteArray n = QByteArray::number(i);
        s += "namespace ns" + n + " {\n"                                   // +1
             "class Widget" + n + " {\n"                                   // +2
             "public:\n"                                                   // +3
             "    int width" + n + ";\n"                                   // +4
             "    int height" + n + ";\n"                                  // +5
             "    void paint" + n + "(int x);\n"                           // +6
             "};\n"                                                        // +7
             "enum Colour" + n + " { Red" + n + ", Green" + n + " };\n"    // +8
             "}\n"                                                         // +9
             "\n\n\n"                                                      // +10..12
             "void ns" + n + "::Widget" + n + "::paint" + n + "(int x)\n"  // +13
             "{\n"                                                         // +14
             "    width" + n + " = x;\n"                                   // +15
             "}\n"                                                         // +16
             "\n\n\n\n";                                                   // +17..20
    }
    return s;
}

struct SymbolLargeTreeTest : SymbolFixture {
    bool settle() { return pumpUntil([this] { return !docker()->busy(); }, 60000); }

    // Top-level entries with entries below them, and how many of those are expanded.
    static std::pair<int, int> groups(CTagsTreeCtrl* t)
    {
        int all = 0, expanded = 0;
        for (int r = 0; r < t->model()->rowCount(); ++r) {
            const QModelIndex at = t->model()->index(r, 0);
            if (t->model()->rowCount(at) > 0) {
                ++all;
                expanded += t->isExpanded(at) ? 1 : 0;
            }
        }
        return {all, expanded};
    }
    static QStringList children(CTagsTreeCtrl* t, const QModelIndex& group)
    {
        QStringList out;
        for (int r = 0; r < t->model()->rowCount(group); ++r)
            out << t->model()->index(r, 0, group).data().toString();
        out.sort();
        return out;
    }
    static long caretLine(CTextView* v) { return v->lineFromPosition(v->currentPos()) + 1; }
};

TEST_F(SymbolLargeTreeTest, ByTypeGroupsExpandJumpCollapseAndSurviveASave)
{
    start();
    CTextView* v = openAndFocus("many.cpp", manyClasses());
    ASSERT_TRUE(v);
    key(v, Qt::Key_3, Qt::AltModifier);   // the symbol panel
    ASSERT_TRUE(docker()->isVisible());
    ASSERT_TRUE(settle());
    CTagsTreeCtrl* t = docker()->tree(frame->activeChild());
    ASSERT_TRUE(t);
    choose(t, CFunctionDocker::ByType);
    ASSERT_TRUE(settle());

    // A group per class ("ns<i>::Widget<i>", the scope of its members), all expanded.
    const auto [all, expanded] = groups(t);
    EXPECT_EQ(all, kClasses);
    EXPECT_EQ(expanded, all);
    const QModelIndex widget = t->symbols()->findText("ns377::Widget377");
    ASSERT_TRUE(widget.isValid());
    EXPECT_FALSE(widget.parent().isValid());
    EXPECT_EQ(children(t, widget), QStringList({"height377", "paint377", "width377"}));

    // A member far down the tree: a click moves the caret to it, as the third visible line.
    QModelIndex width;
    for (int r = 0; r < t->model()->rowCount(widget); ++r)
        if (t->model()->index(r, 0, widget).data().toString() == "width377")
            width = t->model()->index(r, 0, widget);
    ASSERT_TRUE(width.isValid());
    EXPECT_EQ(width.parent(), widget);
    t->scrollTo(width);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, t->visualRect(width).center());
    pump();
    EXPECT_EQ(caretLine(v), 20 * 377 + 4);
    EXPECT_EQ(v->firstVisibleLine(), 20 * 377 + 1);

    choose(t, CFunctionDocker::CollapseAll);
    EXPECT_EQ(groups(t).second, 0);
    choose(t, CFunctionDocker::ExpandAll);
    EXPECT_EQ(groups(t).second, kClasses);

    // Two lines more at the top, saved with Ctrl+S: the same entry is selected again, at
    // its new line, in a tree whose groups are all expanded again.
    v->setFocus();
    v->SendScintilla(SB::SCI_INSERTTEXT, 0ul, "int first;\n\n");
    key(v, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(settle());
    EXPECT_FALSE(frame->activeChild()->isModified());
    ASSERT_TRUE(t->currentIndex().isValid());
    EXPECT_EQ(t->currentIndex().data().toString(), "width377");
    EXPECT_EQ(t->symbols()->lineOf(t->currentIndex()), 20 * 377 + 4 + 2);
    EXPECT_EQ(groups(t), std::make_pair(kClasses, kClasses));
    EXPECT_TRUE(t->symbols()->findText("first").isValid());
}

} // namespace
