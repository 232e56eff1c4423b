// The hex view's model over real files in temporary folders.
#include "documents/hex/HexFormat.h"
#include "documents/hex/HexModel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace hex;

namespace {

constexpr int W = 8, H = 16;

class HexModelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString writeFile(const QByteArray& bytes, const QString& name = "data.bin")
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString sparseFile(int64_t size, const QString& name = "big.bin")
    {
        const QString path = writeFile({}, name);
        EXPECT_EQ(::truncate(QFile::encodeName(path).constData(), off_t(size)), 0);
        return path;
    }
    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    // A model with `rows` rows on screen and the caret placed as after the first paint.
    static void open(HexModel& m, const QString& path, int rows = 4)
    {
        m.setMetrics(W, H);
        m.setClientSize(90 * W, H * (rows + 1));
        ASSERT_TRUE(m.load(path));
        m.notePaint();
    }
    static QByteArray counting(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b.append(char(i & 0xFF));
        return b;
    }
    static void type(HexModel& m, const char* s)
    {
        for (; *s; ++s)
            m.typeChar(char16_t(uchar(*s)));
    }
};

TEST_F(HexModelTest, TenByteFileShowsOneRowWithExactStrings)
{
    HexModel m;
    open(m, writeFile(QByteArray("\x00\x20\x21" "A~}\x7f\xff" "z\x0a", 10)));
    EXPECT_EQ(m.shownRows(), 1);
    EXPECT_EQ(m.rowLength(0), 10);
    EXPECT_EQ(m.offsetText(0), "00000000");
    EXPECT_EQ(m.hexText(0), " 00 20 21 41 7E 7D 7F FF  7A 0A ");
    // Bytes 33 to 125 show as themselves; blank (32) and tilde (126) do not.
    EXPECT_EQ(m.charText(0), "..!A.}..z.");
    EXPECT_EQ(HexModel::headerLabels(), "  0  1  2  3  4  5  6  7   8  9  A  B  C  D  E  F ");
    EXPECT_EQ(m.rowLength(1), 0);
    EXPECT_EQ(m.statusText(), "Offset 0H 0  Sel 0");
}

TEST_F(HexModelTest, LayoutAreasAndHitTest)
{
    HexModel m;
    open(m, writeFile(counting(40)), 4);
    EXPECT_EQ(m.offsetColumnWidth(), 10 * W);
    EXPECT_EQ(m.hexArea(), QRect(10 * W, H, 50 * W, 3 * H));  // three rows hold the 40 bytes
    EXPECT_EQ(m.textArea(), QRect(61 * W, H, 16 * W, 3 * H));

    auto hitAt = [&](int cellX, int row) { return m.hitTest(10 * W + cellX * W + 1, H + row * H + 1); };
    // The blank before a byte and its high digit give the high digit, then the low digit.
    EXPECT_EQ(hitAt(0, 0)->offset, 0);
    EXPECT_EQ(hitAt(1, 0)->nibble, 0);
    EXPECT_EQ(hitAt(2, 0)->nibble, 1);
    EXPECT_EQ(hitAt(3, 1)->offset, 17);
    // Past the gap after eight bytes: cell 25 is the extra blank before byte 8.
    EXPECT_EQ(hitAt(25, 0)->offset, 8);
    EXPECT_EQ(hitAt(26, 0)->nibble, 0);
    EXPECT_EQ(hitAt(27, 0)->nibble, 1);
    EXPECT_EQ(hitAt(49, 0)->offset, 15);
    EXPECT_EQ(hitAt(49, 0)->column, Column::Hex);
    // Text column.
    auto text = m.hitTest(61 * W + 5 * W + 2, H + 2 * H + 3);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->column, Column::Text);
    EXPECT_EQ(text->offset, 37);
    // Header, offset column, below the last shown row and between the columns hit nothing.
    EXPECT_FALSE(m.hitTest(20 * W, 2));
    EXPECT_FALSE(m.hitTest(3 * W, 2 * H));
    EXPECT_FALSE(m.hitTest(20 * W, 4 * H + 1));
    EXPECT_FALSE(m.hitTest(60 * W + 1, 2 * H));
    // A click past the last byte of a short last row lands on the last byte.
    m.mousePress(10 * W + 40 * W, H + 2 * H + 2);
    EXPECT_EQ(m.caret(), 39);

    // A window too small for any row still shows one.
    m.setClientSize(90 * W, H / 2);
    EXPECT_EQ(m.rowsOnScreen(), 1);
    EXPECT_EQ(m.shownRows(), 1);
}

TEST_F(HexModelTest, CaretStepsThroughDigitsAndStopsAtBothEnds)
{
    HexModel m;
    open(m, writeFile(counting(20)));
    m.key(Key::Left, false, false);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.nibble(), 0);
    m.key(Key::Right, false, false);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.nibble(), 1);
    m.key(Key::Right, false, false);
    EXPECT_EQ(m.caret(), 1);
    EXPECT_EQ(m.nibble(), 0);
    m.key(Key::Left, false, false);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.nibble(), 1);

    m.key(Key::End, false, true);
    EXPECT_EQ(m.caret(), 19);
    m.key(Key::Right, false, false);
    m.key(Key::Right, false, false);
    m.key(Key::Right, false, false);
    EXPECT_EQ(m.caret(), 19);
    EXPECT_EQ(m.nibble(), 1);

    // Left and Right ignore Shift: a selection becomes a caret.
    m.key(Key::Home, true, true);
    EXPECT_TRUE(m.hasSelection());
    m.key(Key::Right, true, false);
    EXPECT_FALSE(m.hasSelection());
    EXPECT_EQ(m.caret(), 1);  // from the low digit of byte 0
}

TEST_F(HexModelTest, RowKeysAndSelectionRules)
{
    HexModel m;
    open(m, writeFile(counting(40)), 2);
    m.key(Key::Up, false, false);  // first row: nothing
    EXPECT_EQ(m.caret(), 0);
    m.key(Key::End, false, false);
    EXPECT_EQ(m.caret(), 15);
    m.key(Key::Down, false, false);
    EXPECT_EQ(m.caret(), 31);
    m.key(Key::Down, false, false);  // 47 is past the end: nothing
    EXPECT_EQ(m.caret(), 31);
    m.key(Key::Home, false, false);
    EXPECT_EQ(m.caret(), 16);
    m.key(Key::End, true, false);  // Shift+End reaches one past the row's last byte
    EXPECT_EQ(m.anchor(), 16);
    EXPECT_EQ(m.caret(), 32);
    EXPECT_EQ(m.statusText(), "Offset 10H 16  Sel 16");
    m.key(Key::Up, true, false);
    m.key(Key::Up, true, false);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.statusText(), "Offset 10H 16  Sel -16");

    // Page Down moves a screen (two rows here) and stops on the last byte.
    m.key(Key::Home, false, true);
    m.key(Key::PageDown, false, false);
    EXPECT_EQ(m.caret(), 32);
    EXPECT_EQ(m.topRow(), 1);
    m.key(Key::PageDown, false, false);
    EXPECT_EQ(m.caret(), 39);
    m.key(Key::PageUp, false, false);
    EXPECT_EQ(m.caret(), 7);
    EXPECT_EQ(m.topRow(), 0);
    m.key(Key::PageUp, false, false);
    EXPECT_EQ(m.caret(), 0);

    // Ctrl+Shift+End selects to the end of the file.
    m.key(Key::Right, false, false);
    m.key(Key::Right, false, false);
    m.key(Key::End, true, true);
    EXPECT_EQ(m.anchor(), 1);
    EXPECT_EQ(m.caret(), 40);
    EXPECT_EQ(m.statusText(), "Offset 1H 1  Sel 39");
    m.key(Key::PageDown, true, false);  // a selection never reaches past the end
    EXPECT_EQ(m.caret(), 40);
    EXPECT_EQ(m.topRow(), m.maxTopRow());
    // Ctrl+Up and Ctrl+Down scroll without moving the caret; never past the ends.
    m.key(Key::Up, false, true);
    EXPECT_EQ(m.topRow(), 0);
    m.key(Key::Up, false, true);
    EXPECT_EQ(m.topRow(), 0);
    for (int i = 0; i < 5; ++i)
        m.key(Key::Down, false, true);
    EXPECT_EQ(m.topRow(), 1);  // rows 1 and 2 fill the screen
    EXPECT_EQ(m.caret(), 40);
}

TEST_F(HexModelTest, HexDigitsOvertypeAndUndoInTwoSteps)
{
    const QString path = writeFile(QByteArray(8, '\0'));
    HexModel m;
    open(m, path);
    EXPECT_FALSE(m.isModified());
    type(m, "A");  // upper case is not a hex digit here
    EXPECT_EQ(m.byteAt(0), 0);
    EXPECT_FALSE(m.isModified());
    type(m, "4");
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(m.byteAt(0), 0x40);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.nibble(), 1);
    type(m, "1");
    EXPECT_EQ(m.byteAt(0), 0x41);
    EXPECT_EQ(m.caret(), 1);
    EXPECT_EQ(m.nibble(), 0);
    EXPECT_TRUE(m.canUndo());

    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.byteAt(0), 0x40);
    EXPECT_EQ(m.caret(), 0);
    EXPECT_EQ(m.nibble(), 1);
    EXPECT_TRUE(m.isModified());
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.byteAt(0), 0x00);
    EXPECT_EQ(m.nibble(), 0);
    EXPECT_FALSE(m.isModified());
    EXPECT_FALSE(m.undo());
    EXPECT_EQ(readAll(path), QByteArray(8, '\0'));

    // Delete types two zero digits; typing collapses a selection to its anchor first.
    type(m, "ff");
    m.key(Key::Left, false, false);
    m.key(Key::Left, false, false);
    m.key(Key::Delete, false, false);
    EXPECT_EQ(m.byteAt(0), 0x00);
    EXPECT_EQ(m.caret(), 1);
    m.key(Key::End, true, false);
    type(m, "7");
    EXPECT_FALSE(m.hasSelection());
    EXPECT_EQ(m.byteAt(1), 0x70);

    // The last byte's low digit keeps the caret where it is.
    m.key(Key::End, false, true);
    m.key(Key::Left, false, false);  // Ctrl+End kept the low digit; back to the high one
    ASSERT_EQ(m.caret(), 7);
    ASSERT_EQ(m.nibble(), 0);
    type(m, "123");
    EXPECT_EQ(m.byteAt(7), 0x13);
    EXPECT_EQ(m.caret(), 7);
}

TEST_F(HexModelTest, TextColumnTypingAndItsUndo)
{
    HexModel m;
    open(m, writeFile("abcd"));
    m.key(Key::F6, false, false);
    EXPECT_EQ(m.activeColumn(), Column::Text);
    type(m, "XY");
    EXPECT_EQ(m.charText(0), "XYcd");
    EXPECT_EQ(m.caret(), 2);
    m.typeChar(u'\t');  // control characters are ignored
    EXPECT_EQ(m.byteAt(2), 'c');
    // At the last byte every character overwrites it and the caret stays.
    m.key(Key::End, false, true);
    type(m, "123");
    EXPECT_EQ(m.charText(0), "XYc3");
    EXPECT_EQ(m.caret(), 3);
    // A character above 255 writes its low byte, then its high byte on the next byte.
    m.key(Key::Home, false, false);
    m.typeChar(char16_t(0x20AC));
    EXPECT_EQ(m.byteAt(0), 0xAC);
    EXPECT_EQ(m.byteAt(1), 0x20);
    EXPECT_EQ(m.caret(), 2);
    // Undo of a typed character selects the byte it restored.
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.byteAt(1), 'Y');
    EXPECT_EQ(m.anchor(), 1);
    EXPECT_EQ(m.caret(), 2);
}

TEST_F(HexModelTest, ReadOnlyAndEmptyFilesCannotBeEdited)
{
    HexModel m;
    open(m, writeFile("xyz"));
    m.setReadOnly(true);
    EXPECT_EQ(m.typeChar(u'1'), HexModel::TypeResult::Beep);
    EXPECT_EQ(m.typeChar(u'\b'), HexModel::TypeResult::Beep);
    m.key(Key::Delete, false, false);
    EXPECT_EQ(m.charText(0), "xyz");
    EXPECT_FALSE(m.isModified());

    HexModel e;
    open(e, writeFile({}, "empty.bin"));
    EXPECT_EQ(e.shownRows(), 0);
    EXPECT_EQ(e.typeChar(u'1'), HexModel::TypeResult::Ignored);
    e.key(Key::Delete, false, false);
    e.key(Key::End, true, true);
    e.key(Key::PageDown, false, false);
    EXPECT_FALSE(e.isModified());
    EXPECT_EQ(e.editCount(), 0u);
    EXPECT_EQ(e.statusText(), "Offset 0H 0  Sel 0");

    HexModel missing;
    QString error;
    EXPECT_FALSE(missing.load(dir.filePath("nothing.bin"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_FALSE(missing.load(dir.path(), &error));  // a folder is not a file
    missing.key(Key::End, false, true);
    EXPECT_EQ(missing.typeChar(u'1'), HexModel::TypeResult::Ignored);
    EXPECT_EQ(missing.statusText(), "");
}

TEST_F(HexModelTest, MouseClickDragDoubleClickAndWheel)
{
    HexModel m;
    open(m, writeFile(counting(16 * 20)), 4);
    auto hexX = [](int k, int nib) { return 10 * W + (3 * k + k / 8 + 1 + nib) * W + 1; };
    auto rowY = [](int r) { return H + r * H + 1; };

    m.mousePress(hexX(3, 1), rowY(1));
    EXPECT_EQ(m.caret(), 19);
    EXPECT_EQ(m.nibble(), 1);
    EXPECT_FALSE(m.hasSelection());
    m.mouseDrag(hexX(5, 0), rowY(2));  // not captured: nothing
    EXPECT_FALSE(m.hasSelection());
    m.setCaptured(true);
    m.mouseDrag(hexX(5, 0), rowY(2));
    EXPECT_EQ(m.anchor(), 19);
    EXPECT_EQ(m.caret(), 38);  // the hit byte plus one
    m.mouseDrag(61 * W + 2, rowY(0));  // the other column extends nothing
    EXPECT_EQ(m.caret(), 38);
    m.mouseDrag(hexX(0, 0), rowY(0));  // byte 0 selects back to 0
    EXPECT_EQ(m.caret(), 0);
    // Below the window the view scrolls a row per move.
    m.mouseDrag(hexX(0, 0), 5 * H + 10);
    m.mouseDrag(hexX(0, 0), 5 * H + 10);
    EXPECT_EQ(m.topRow(), 2);
    m.mouseDrag(hexX(0, 0), -5);
    EXPECT_EQ(m.topRow(), 1);
    // A key while captured only ends the capture.
    const int64_t caret = m.caret();
    m.key(Key::Home, false, true);
    EXPECT_FALSE(m.isCaptured());
    EXPECT_EQ(m.caret(), caret);

    // Clicking the text column activates it; double click selects the byte alone.
    m.doubleClick(61 * W + 4 * W + 1, rowY(0));
    EXPECT_EQ(m.activeColumn(), Column::Text);
    EXPECT_EQ(m.anchor(), 20);
    EXPECT_EQ(m.caret(), 21);

    // Wheel toward the user (negative) scrolls two rows down per notch; halves add up.
    m.scrollToRow(0);
    m.wheel(-120);
    EXPECT_EQ(m.topRow(), 2);
    m.wheel(60);
    EXPECT_EQ(m.topRow(), 2);
    m.wheel(60);
    EXPECT_EQ(m.topRow(), 0);
    m.wheel(-120 * 100);
    EXPECT_EQ(m.topRow(), m.maxTopRow());
    EXPECT_EQ(m.maxTopRow(), 16);  // 20 rows, 4 on screen: the last row at the bottom
}

TEST_F(HexModelTest, EditsSurviveScrollingAndResizing)
{
    const QByteArray data = counting(16 * 100);
    const QString path = writeFile(data);
    HexModel m;
    open(m, path, 4);
    m.key(Key::Right, false, false);
    m.key(Key::Right, false, false);  // byte 1
    type(m, "ee");
    m.key(Key::End, false, true);
    EXPECT_EQ(m.topRow(), 96);
    m.setClientSize(90 * W, 3 * H);
    m.key(Key::Home, false, true);
    EXPECT_EQ(m.topRow(), 0);
    EXPECT_EQ(m.hexText(0).mid(4, 2), "EE");
    EXPECT_EQ(m.byteAt(1), 0xEE);
    // Undo goes by file offset even after the screen moved away.
    m.scrollToRow(50);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.topRow(), 0);
    EXPECT_EQ(m.byteAt(1), 0xE1);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.byteAt(1), 0x01);
}

TEST_F(HexModelTest, SaveWritesOnlyTheEditedBytes)
{
    const QByteArray data = counting(64);
    const QString path = writeFile(data);
    HexModel m;
    open(m, path);
    type(m, "ab");  // byte 0 becomes AB
    // Another program changes a different byte (same size) after the view read the screen.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(10);
        f.write("\x55", 1);
    }
    ASSERT_EQ(m.save(), HexModel::SaveResult::Ok);
    EXPECT_FALSE(m.isModified());
    QByteArray expected = data;
    expected[0] = char(0xAB);
    expected[10] = char(0x55);
    EXPECT_EQ(readAll(path), expected);
    EXPECT_EQ(m.byteAt(10), 0x55);  // the screen was read again

    // Undo after saving marks the document modified again, and saving writes the old byte.
    ASSERT_TRUE(m.undo());
    EXPECT_TRUE(m.isModified());
    ASSERT_TRUE(m.undo());
    EXPECT_TRUE(m.isModified());
    ASSERT_EQ(m.save(), HexModel::SaveResult::Ok);
    expected[0] = 0;
    EXPECT_EQ(readAll(path), expected);
    EXPECT_FALSE(m.isModified());
}

TEST_F(HexModelTest, SaveRefusesAChangedSizeAndReportsFailedWrites)
{
    const QString path = writeFile("0123456789");
    HexModel m;
    open(m, path);
    type(m, "ff");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("more");
    }
    QString error;
    EXPECT_EQ(m.save(&error), HexModel::SaveResult::SizeChanged);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(readAll(path), "0123456789more");

    // The file replaced by a folder: the write fails, nothing is lost from the view.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir("data.bin"));
    EXPECT_EQ(m.save(&error), HexModel::SaveResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(m.byteAt(0), 0xFF);
}

TEST_F(HexModelTest, SaveAsCopiesWithTheEditsAndNeverTruncatesItsOwnFile)
{
    // Bigger than one copy block, with edits on both sides of a block border.
    const QByteArray data = counting(250000);
    const QString path = writeFile(data);
    HexModel m;
    open(m, path);
    type(m, "aa");
    m.scrollToRow(102400 / 16);
    m.setSelection(102399, 102399);
    type(m, "bbcc");
    const QString copy = dir.filePath("copy.bin");
    ASSERT_EQ(m.saveAs(copy), HexModel::SaveResult::Ok);
    EXPECT_EQ(m.path(), copy);
    EXPECT_FALSE(m.isModified());
    QByteArray expected = data;
    expected[0] = char(0xAA);
    expected[102399] = char(0xBB);
    expected[102400] = char(0xCC);
    EXPECT_EQ(readAll(copy), expected);
    EXPECT_EQ(readAll(path), data);  // the original is untouched

    // Another name for the same file: written in place, not truncated first.
    type(m, "dd");
    const QString link = dir.filePath("link.bin");
    ASSERT_TRUE(QFile::link(copy, link));
    ASSERT_EQ(m.saveAs(link), HexModel::SaveResult::Ok);
    expected[102401] = char(0xDD);
    EXPECT_EQ(readAll(copy), expected);

    // An unwritable target fails and keeps the edits.
    type(m, "ee");
    QString error;
    EXPECT_EQ(m.saveAs(dir.filePath("no/such/folder.bin"), &error), HexModel::SaveResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(m.path(), link);
}

TEST_F(HexModelTest, FileTruncatedBehindTheViewReadsAsZeros)
{
    const QString path = writeFile(QByteArray(16 * 50, 'x'));
    HexModel m;
    open(m, path, 4);
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 20), 0);
    m.scrollToRow(10);
    EXPECT_EQ(m.hexText(0), " 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00 ");
    m.scrollToRow(0);
    EXPECT_EQ(m.charText(1), "xxxx............");
}

TEST_F(HexModelTest, FilesBeyondFourGigabytes)
{
    const int64_t size = (int64_t(5) << 30) + 3;  // 5 GiB and three bytes
    HexModel m;
    open(m, sparseFile(size), 4);
    EXPECT_EQ(m.size(), size);
    EXPECT_EQ(m.offsetDigits(), 9);
    EXPECT_EQ(m.offsetColumnWidth(), 11 * W);
    m.key(Key::End, true, true);
    EXPECT_EQ(m.caret(), size);
    EXPECT_EQ(m.statusText(), "Offset 0H 0  Sel 5368709123");
    EXPECT_EQ(m.topRow(), m.maxTopRow());
    EXPECT_EQ(m.offsetText(3), "140000000");
    EXPECT_EQ(m.rowLength(3), 3);
    EXPECT_EQ(m.hexText(3), " 00 00 00 ");
    m.key(Key::Home, false, false);
    m.key(Key::End, false, false);
    EXPECT_EQ(m.caret(), size - 1);
    type(m, "7");
    EXPECT_EQ(m.byteAt(size - 1), 0x70);
    EXPECT_EQ(m.statusText(), "Offset 140000002H 5368709122  Sel 0");

    // 64 GiB holds more rows than a scroll bar can: its positions are scaled.
    HexModel huge;
    open(huge, sparseFile(int64_t(64) << 30, "huge.bin"), 4);
    EXPECT_LE(huge.barMaximum(), int(HexModel::kMaxBarRows));
    huge.scrollToBarValue(huge.barMaximum());
    EXPECT_EQ(huge.topRow(), huge.maxTopRow());
    EXPECT_EQ(huge.barValue(), huge.barMaximum());
    huge.scrollToBarValue(huge.barMaximum() / 2);
    EXPECT_NEAR(double(huge.topRow()) / double(huge.maxTopRow()), 0.5, 0.01);
    huge.scrollBy(1);
    EXPECT_EQ(huge.offsetText(0).size(), 9);
}

TEST_F(HexModelTest, SaveRefusesAFileThatTookThePath)
{
    // Another program writes a file of the same size aside and renames it over the path.
    const QString path = writeFile("0123456789");
    HexModel m;
    open(m, path);
    type(m, "41");
    const QString aside = writeFile("abcdefghij", "aside.tmp");
    ASSERT_EQ(::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData()), 0);

    QString error;
    EXPECT_EQ(m.save(&error), HexModel::SaveResult::Replaced);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(readAll(path), "abcdefghij");
    // Save As would copy the new file's bytes under edits made for the old one.
    const QString copy = dir.filePath("copy.bin");
    EXPECT_EQ(m.saveAs(copy, &error), HexModel::SaveResult::Replaced);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(m.isModified());

    // Loaded again, the file saves as before.
    open(m, path);
    type(m, "42");
    EXPECT_EQ(m.save(&error), HexModel::SaveResult::Ok);
    EXPECT_EQ(readAll(path), "Bbcdefghij");
}

TEST_F(HexModelTest, SizesNearTheLargestOffset)
{
    // No real file gets this large: the bytes are made up, each the low byte of its offset.
    for (const int64_t size : {INT64_MAX, INT64_MAX - 7, INT64_MAX - 15, INT64_MAX - 16}) {
        SCOPED_TRACE(size);
        HexModel m;
        m.setMetrics(W, H);
        m.setClientSize(90 * W, H * 5);
        m.loadBytes(size, [](int64_t offset, uint8_t* buf, size_t n) {
            for (size_t i = 0; i < n; ++i)
                buf[i] = uint8_t(offset + int64_t(i));
            return true;
        });
        m.notePaint();
        const int64_t lastRowStart = (size - 1) / 16 * 16;
        EXPECT_EQ(m.totalRows(), lastRowStart / 16 + 1);
        EXPECT_EQ(m.shownRows(), 4);
        EXPECT_EQ(m.offsetDigits(), 16);

        m.key(Key::End, false, true);  // Ctrl+End: the view follows the caret
        EXPECT_EQ(m.caret(), size - 1);
        EXPECT_EQ(m.topRow(), m.maxTopRow());
        EXPECT_EQ(m.topOffset() + 3 * 16, lastRowStart);
        EXPECT_EQ(m.rowLength(3), int(size - lastRowStart));
        EXPECT_EQ(m.charText(3).size(), size - lastRowStart);
        EXPECT_EQ(m.rowLength(4), 0);  // below the last row, where offsets would pass the largest
        EXPECT_EQ(m.hexText(4), "");
        EXPECT_EQ(m.barValue(), m.barMaximum());

        m.key(Key::End, true, false);  // Shift+End reaches one past the row
        EXPECT_EQ(m.caret(), size);
        m.setSelection(size - 1, size - 1);
        m.key(Key::PageDown, true, false);
        EXPECT_EQ(m.caret(), size);
        m.key(Key::PageDown, false, false);
        EXPECT_EQ(m.caret(), size - 1);
        m.setSelection(size - 17, size - 17);
        m.key(Key::Down, false, false);  // nothing: a row down passes the end
        EXPECT_EQ(m.caret(), size - 17 + (size - 17 + 16 < size ? 16 : 0));

        // A drag or double click on the last cell of the last row.
        const QRect ha = m.hexArea();
        const int lastCellX = ha.left() + 48 * W + 1, lastRowY = ha.top() + 3 * H + 1;
        m.doubleClick(lastCellX, lastRowY);
        EXPECT_EQ(m.selectionEnd(), size);
        m.mousePress(ha.left() + 1, lastRowY);
        m.setCaptured(true);
        m.mouseDrag(lastCellX, lastRowY);
        EXPECT_EQ(m.anchor(), lastRowStart);
        EXPECT_EQ(m.caret(), size);
        m.setCaptured(false);

        // The last byte can be typed over; a save is refused as there is no file.
        m.setSelection(size - 1, size - 1);
        type(m, "ab");
        EXPECT_EQ(m.byteAt(size - 1), 0xAB);
        EXPECT_EQ(m.save(), HexModel::SaveResult::Failed);
    }
}

TEST(HexFormat, PrintfFormatIsSafeWithAnyTranslation)
{
    EXPECT_EQ(formatPrintf("Offset %XH %d  Sel %d", {255, 255, -3}), "Offset FFH 255  Sel -3");
    EXPECT_EQ(formatPrintf("%08X|%5d|%-s|%%", {0xAB, 42}), "000000AB|   42|%-s|%");
    // More conversions than arguments stay as written.
    EXPECT_EQ(formatPrintf("%s and %s %n", {QString("one")}), "one and %s %n");
    EXPECT_EQ(sizeText(0), "0 Bytes");
    EXPECT_TRUE(sizeText(int64_t(8) << 30).endsWith(" GB"));
    EXPECT_TRUE(sizeText(int64_t(3) << 40).startsWith("3"));  // stays in GB
}

} // namespace
