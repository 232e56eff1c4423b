// The hex view's window, offscreen, over a real file.
#include "documents/hex/CHexView.h"
#include "platform/Seams.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "hexview_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &down);
}

// Records every value a signal carries.
template <typename T>
struct Recorder {
    std::vector<T> values;
    template <typename Sender, typename Signal>
    Recorder(Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, [this](const T& v) { values.push_back(v); });
    }
};

void typeText(QWidget* w, const QString& s)
{
    for (QChar c : s)
        press(w, 0, Qt::NoModifier, QString(c));
}

class HexViewTest : public ::testing::Test {
protected:
    void SetUp() override { app(); }
    QTemporaryDir dir;

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = dir.filePath("view.bin");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static void showAndPaint(CHexView& view)
    {
        view.resize(800, 300);
        view.show();
        view.activateWindow();
        view.setFocus();
        view.viewport()->grab();
        QApplication::processEvents();
    }
};

TEST_F(HexViewTest, OpensAFileAndReportsItsStatusTexts)
{
    QByteArray data;
    for (int i = 0; i < 1000; ++i)
        data.append(char(i * 7));
    const QString path = writeFile(data);
    CHexView view;
    Recorder<QString> status(&view, &CHexView::statusChanged);
    ASSERT_TRUE(view.load(path));
    showAndPaint(view);

    EXPECT_EQ(view.statusText(), "Offset 0H 0  Sel 0");
    ASSERT_FALSE(status.values.empty());
    EXPECT_EQ(status.values.back(), "Offset 0H 0  Sel 0");
    EXPECT_EQ(view.modeText(), "Hex");
    EXPECT_EQ(view.overtypeText(), "OVR");
    EXPECT_TRUE(view.sizeText().endsWith(" Bytes"));
    EXPECT_EQ(view.fileSize(), 1000);

    // Keys go through the window to the model.
    press(&view, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(status.values.back(), "Offset 0H 0  Sel 1000");
    const QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view.model().topRow(), view.model().maxTopRow());
    press(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.statusText(), "Offset 0H 0  Sel 0");
    EXPECT_EQ(bar->value(), 0);

    // The scroll bar moves the rows shown.
    const_cast<QScrollBar*>(bar)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.model().topRow(), view.model().rowsOnScreen());
    const_cast<QScrollBar*>(bar)->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(view.model().topRow(), view.model().maxTopRow());

    // F6 and command 57680 switch the column.
    press(&view, Qt::Key_F6);
    EXPECT_EQ(view.model().activeColumn(), hex::Column::Text);
    EXPECT_TRUE(view.command(CHexView::CmdSwitchColumn));
    EXPECT_EQ(view.model().activeColumn(), hex::Column::Hex);
    EXPECT_FALSE(view.command(106));
}

TEST_F(HexViewTest, TypingUndoAndSaveThroughTheView)
{
    const QString path = writeFile(QByteArray(32, '\x11'));
    CHexView view;
    ASSERT_TRUE(view.load(path));
    showAndPaint(view);
    Recorder<bool> modified(&view, &CHexView::modifiedChanged);

    EXPECT_FALSE(view.isCommandEnabled(CHexView::CmdUndo));
    typeText(&view, "4");
    typeText(&view, "2");
    EXPECT_TRUE(view.isModified());
    ASSERT_EQ(modified.values.size(), 1u);
    EXPECT_TRUE(modified.values.back());
    EXPECT_TRUE(view.isCommandEnabled(CHexView::CmdUndo));
    EXPECT_TRUE(view.command(CHexView::CmdUndo));
    EXPECT_TRUE(view.command(CHexView::CmdUndo));
    EXPECT_FALSE(view.isModified());
    EXPECT_FALSE(modified.values.back());

    typeText(&view, "42");
    ASSERT_TRUE(view.save());
    EXPECT_FALSE(view.isModified());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray expected(32, '\x11');
    expected[0] = 0x42;
    EXPECT_EQ(f.readAll(), expected);
    f.close();

    // A grown file is not written; the refusal is shown with message 1036.
    typeText(&view, "99");
    {
        QFile g(path);
        ASSERT_TRUE(g.open(QIODevice::Append));
        g.write("x");
    }
    seams::ScriptedMessageBox box;
    seams::ScopedMessageBox scoped(&box);
    EXPECT_FALSE(view.save());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].text.startsWith("Save file failure.\n" + path + "\n\n"));
    EXPECT_EQ(box.shown[0].caption, "Velmo");
    EXPECT_TRUE(view.isModified());

    // Read-only: typing changes nothing.
    view.setReadOnly(true);
    typeText(&view, "00");
    EXPECT_EQ(view.model().byteAt(2), 0x11);
    EXPECT_FALSE(view.isCommandEnabled(CHexView::CmdUndo));
}

TEST_F(HexViewTest, PaintsTheSelectionInTheActiveColumn)
{
    const QString path = writeFile(QByteArray(64, 'a'));
    CHexView view;
    ASSERT_TRUE(view.load(path));
    showAndPaint(view);
    const hex::HexModel& m = view.model();
    const QPoint inByte3(m.hexCellX(3) + 2, m.lineHeight() + m.lineHeight() / 2);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(inByte3), QPointF(view.viewport()->mapToGlobal(inByte3)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &dbl);
    EXPECT_EQ(view.statusText(), "Offset 3H 3  Sel 1");

    const QImage image = view.viewport()->grab().toImage();
    const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(m.hexCellX(3) + 1, m.lineHeight() + 1), highlight);
    EXPECT_NE(image.pixelColor(m.hexCellX(5) + 1, m.lineHeight() + 1), highlight);
    EXPECT_NE(image.pixelColor(m.textCellX(3) + 1, m.lineHeight() + 1), highlight);

    // Without a selection the caret is a block over the caret's digit, inverting the cell.
    press(&view, Qt::Key_Left);
    ASSERT_TRUE(view.hasFocus());
    const QImage withCaret = view.viewport()->grab().toImage();
    const QColor back = view.palette().color(QPalette::Base);
    const QColor inverted(255 - back.red(), 255 - back.green(), 255 - back.blue());
    EXPECT_EQ(withCaret.pixelColor(m.hexCellX(3) + m.charWidth() + 1, m.lineHeight() + 1), inverted);  // byte 3, low digit
    EXPECT_EQ(withCaret.pixelColor(m.hexCellX(3) + 1, m.lineHeight() + 1), back);
}

TEST_F(HexViewTest, CtrlEndOnTheLargestSizeScrollsTheRows)
{
    // Bytes made up for a size no file reaches: each the low byte of its offset.
    CHexView view;
    view.model().loadBytes(INT64_MAX, [](int64_t offset, uint8_t* buf, size_t n) {
        for (size_t i = 0; i < n; ++i)
            buf[i] = uint8_t(offset + int64_t(i));
        return true;
    });
    showAndPaint(view);
    press(&view, Qt::Key_End, Qt::ControlModifier);
    const QScrollBar* bar = view.verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view.statusText(), "Offset 7FFFFFFFFFFFFFFEH 9223372036854775806  Sel 0");
    const hex::HexModel& m = view.model();
    EXPECT_EQ(m.shownRows(), m.rowsOnScreen());
    EXPECT_EQ(m.offsetText(m.shownRows() - 1), "7FFFFFFFFFFFFFF0");
    view.viewport()->grab();   // the last rows paint
}

} // namespace
