// Status bar texts and panes.
#include "TestSupport.h"
#include "app/commands/StatusTexts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace cmd;

TEST(StatusTexts, PositionAndSize)
{
    EXPECT_EQ(positionText(0, 3, 0, 0), QStringLiteral("Ln 1/3  Col 1  Sel 0"));
    EXPECT_EQ(positionText(41, 100, 7, 12), QStringLiteral("Ln 42/100  Col 8  Sel 12"));

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    QLocale none = us;
    none.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_EQ(sizeText(8, us), QStringLiteral("8 Bytes"));
    EXPECT_EQ(sizeText(999, us), QStringLiteral("999 Bytes"));
    EXPECT_EQ(sizeText(1023, us), QStringLiteral("1,023 Bytes"));
    EXPECT_EQ(sizeText(1023, de), QStringLiteral("1.023 Bytes"));
    EXPECT_EQ(sizeText(1023, none), QStringLiteral("1'023 Bytes"));
    EXPECT_EQ(sizeText(1024, us), QStringLiteral("1.00 KB"));
    EXPECT_EQ(sizeText(1536, us), QStringLiteral("1.50 KB"));
    EXPECT_EQ(sizeText(1536, de), QStringLiteral("1,50 KB"));
    EXPECT_EQ(sizeText(1048576, us), QStringLiteral("1.00 MB"));
    // Just under the next unit rounds in "%.2f" and stays in its unit.
    EXPECT_EQ(sizeText(1048575, us), QStringLiteral("1,024.00 KB"));
    EXPECT_EQ(sizeText(qint64(3) << 30, us), QStringLiteral("3.00 GB"));
    // Divided at most three times.
    EXPECT_EQ(sizeText(qint64(2048) << 30, none), QStringLiteral("2'048.00 GB"));
}

TEST(StatusTexts, PaneTextsForDocuments)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    StatusInfo none;
    for (const QString& t : paneTexts(none, us))
        EXPECT_TRUE(t.isEmpty());

    // "ab\ncd\nef" with the caret at 0, saved as UTF-8 with a mark.
    StatusInfo text;
    text.hasDocument = true;
    text.lineCount = 3;
    text.size = 8;
    text.encoding = 3;
    auto t = paneTexts(text, us);
    EXPECT_EQ(t[0], QStringLiteral("Ln 1/3  Col 1  Sel 0"));
    EXPECT_EQ(t[1], QStringLiteral("8 Bytes"));
    EXPECT_EQ(t[2], QStringLiteral("UTF-8"));
    EXPECT_EQ(t[3], QStringLiteral("INS"));
    text.overtype = true;
    text.encoding = 1;
    t = paneTexts(text, us);
    EXPECT_EQ(t[2], QStringLiteral("UNICODE BE"));
    EXPECT_EQ(t[3], QStringLiteral("OVR"));
    EXPECT_EQ(encodingName(4), QStringLiteral("UTF-8 NOBOM"));
    EXPECT_EQ(encodingName(9), QStringLiteral("ANSI"));

    StatusInfo hex;
    hex.hasDocument = true;
    hex.hex = true;
    hex.size = 2048;
    hex.hexPosition = QStringLiteral("Offset 10H 16  Sel 0");
    t = paneTexts(hex, us);
    EXPECT_EQ(t[0], QStringLiteral("Offset 10H 16  Sel 0"));
    EXPECT_EQ(t[1], QStringLiteral("2.00 KB"));
    EXPECT_EQ(t[2], QStringLiteral("Hex"));
    EXPECT_EQ(t[3], QStringLiteral("OVR"));
}

TEST(StatusTexts, PanesOnAStatusBarHaveFixedWidthsAndClear)
{
    testApp();
    QMainWindow w;
    StatusPanes panes(w.statusBar());
    const QFontMetrics fm(w.statusBar()->font());
    EXPECT_EQ(panes.pane(1)->width(), 180);
    EXPECT_EQ(panes.pane(2)->minimumWidth(), fm.horizontalAdvance("9'999'999 Bytes") + 9);
    EXPECT_EQ(panes.pane(4)->maximumWidth(), fm.horizontalAdvance("OVR") + 19);
    EXPECT_EQ(panes.pane(0), nullptr);

    StatusInfo info;
    info.hasDocument = true;
    info.size = 10;
    panes.show(info);
    EXPECT_EQ(panes.pane(3)->text(), QStringLiteral("ANSI"));
    EXPECT_EQ(panes.pane(4)->text(), QStringLiteral("INS"));
    panes.show(StatusInfo{});
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(panes.pane(i)->text().isEmpty());
    // Menu help goes to the message area, not into the panes.
    w.statusBar()->showMessage("Create a new document");
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("Create a new document"));
}
