// Encoding and line-end detection, and loading and saving every encoding through a
// real text view and real files.
#include "TestSupport.h"

#include "platform/CodePage.h"

#include <QClipboard>

#include <random>

using namespace textdoc;

TEST(TextDetection, EncodingOfTheFirstBlock)
{
    struct Case { std::string bytes; int expected; };
    const Case cases[] = {
        {"", EncAnsi},
        {"\xFF", EncAnsi},                         // one byte is always ANSI
        {bytesOf({0xFE, 0xFF}), EncUtf16BE},
        {bytesOf({0xFF, 0xFE, 'a', 0}), EncUtf16LE},
        {"\xEF\xBB\xBF", EncUtf8},
        {"\xEF\xBB", EncUtf8NoBom},                // no mark, but a plausible sequence
        {"caf\xC3\xA9\r\n", EncUtf8NoBom},
        {"\xC3\x41", EncAnsi},                     // lead byte without continuation
        {"a\xA9", EncAnsi},                        // continuation after ASCII
        {"plain ascii\r\n", EncAnsi},
        {"ok \xC3\xA9 and a lead at the end \xE2", EncUtf8NoBom},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectEncoding(c.bytes.data(), c.bytes.size()), c.expected) << c.bytes;
}

TEST(TextDetection, LineEndsFromTheFirstOne)
{
    struct Case { std::string bytes; int expected; };
    const Case cases[] = {
        {"a\r\nb\nc", EolCrLf}, {"a\rb\r\n", EolCr}, {"a\nb\r\n", EolLf},
        {"none", EolCrLf},      {"tail\r", EolCr},   {std::string("a\0\nb", 4), EolCrLf},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detectEolMode(c.bytes.data(), c.bytes.size()), c.expected) << c.bytes;
}

// Every encoding is recognised and written back byte for byte.
TEST_F(TextDocTest, EachEncodingLoadsAndSavesBackUnchanged)
{
    const QString text = QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 1\r\n\xF0\x9D\x84\x9E clef\r\nend");
    struct Case { const char* what; std::string file; int encoding; };
    const Case cases[] = {
        {"utf-16be", utf16Bytes(text, true), EncUtf16BE},
        {"utf-16le", utf16Bytes(text, false), EncUtf16LE},
        {"utf-8 mark", "\xEF\xBB\xBF" + utf8(text), EncUtf8},
        {"utf-8", utf8(text), EncUtf8NoBom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(c.file);
        EXPECT_EQ(view.encoding(), c.encoding);
        EXPECT_EQ(view.text(), utf8(text));
        EXPECT_EQ(view.eolMode(), EolCrLf);
        EXPECT_FALSE(view.isModified());
        EXPECT_EQ(saved(), c.file);
    }
}

TEST_F(TextDocTest, AllAnsiBytesShowAsTheirCharactersAndSaveUnchanged)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(char(b));
    load(all);
    ASSERT_EQ(view.encoding(), EncAnsi);
    const QString shown = QString::fromUtf8(view.text());
    ASSERT_EQ(shown.size(), 256);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(shown[b].unicode(), ansi::decodeByte(static_cast<unsigned char>(b))) << b;
    EXPECT_EQ(shown[0x80], QChar(0x20AC));   // the euro sign, not a box
    EXPECT_EQ(shown[0x93], QChar(0x201C));
    EXPECT_EQ(saved(), all);
}

TEST_F(TextDocTest, EveryEncodingConvertsToEveryOther)
{
    // Characters the ANSI code page holds, so nothing is lost in any direction.
    const QString text = QString::fromUtf8("a\xE2\x82\xAC\xC3\xA9\r\n\xE2\x80\x9Cq\xE2\x80\x9D");
    const std::string ansiBytes = bytesOf({'a', 0x80, 0xE9, '\r', '\n', 0x93, 'q', 0x94});
    auto fileFor = [&](int enc) -> std::string {
        switch (enc) {
        case EncAnsi: return ansiBytes;
        case EncUtf16BE: return utf16Bytes(text, true);
        case EncUtf16LE: return utf16Bytes(text, false);
        case EncUtf8: return "\xEF\xBB\xBF" + utf8(text);
        default: return utf8(text);
        }
    };
    for (int from = 0; from < kEncodingCount; ++from) {
        for (int to = 0; to < kEncodingCount; ++to) {
            SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
            load(fileFor(from), from);
            EXPECT_EQ(changeEncoding(view, to), from != to);
            EXPECT_EQ(view.encoding(), to);
            EXPECT_EQ(encodingName(view.encoding()), encodingName(to));
            EXPECT_EQ(saved(), fileFor(to));
        }
    }
}

TEST_F(TextDocTest, ToAnsiReplacesOnlyWhatTheCodePageLacksAndLeavesTheClipboard)
{
    load("\xEF\xBB\xBF" "a\xE2\x82\xAC b\xF0\x9D\x84\x9E c\xD0\x96");   // euro kept; clef and Zhe lost
    view.setSel(10, 10);   // after the clef
    testApp().clipboard()->setText("clipboard stays");
    EXPECT_TRUE(changeEncoding(view, EncAnsi));
    EXPECT_EQ(view.text(), "a\xE2\x82\xAC b? c?");
    EXPECT_EQ(testApp().clipboard()->text(), "clipboard stays");
    EXPECT_TRUE(view.isModified());
    EXPECT_EQ(view.currentPos(), 7);   // still after the fifth character
    EXPECT_EQ(saved(), bytesOf({'a', 0x80, ' ', 'b', '?', ' ', 'c', '?'}));

    // Characters typed later that the code page lacks are counted when saved.
    view.addText("\xD0\x96\xE2\x82\xAC");
    size_t unmappable = 99;
    EXPECT_TRUE(saveText(view, path("typed.txt"), &unmappable).ok);
    EXPECT_EQ(unmappable, 1u);
}

TEST_F(TextDocTest, UnicodeRelabelKeepsTextUndoAndModifiedState)
{
    load("\xEF\xBB\xBF" "abc");
    view.addText("x");
    ASSERT_TRUE(view.isModified());
    EXPECT_TRUE(changeEncoding(view, EncUtf16BE));
    EXPECT_TRUE(view.isModified());   // a relabel must not make unsaved text look saved
    EXPECT_TRUE(view.canUndo());
    EXPECT_EQ(saved(), utf16Bytes("xabc", true));
}

TEST_F(TextDocTest, EveryLineEndModeConvertsToEveryOther)
{
    const char* ends[] = {"\r\n", "\r", "\n"};
    for (int from = 0; from < 3; ++from) {
        for (int to = 0; to < 3; ++to) {
            SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
            auto withEnds = [&](int m) { return std::string("one") + ends[m] + "two" + ends[m] + ends[m] + "x"; };
            load(withEnds(from));
            EXPECT_EQ(view.eolMode(), from);
            EXPECT_EQ(convertLineEnds(view, to), from != to);
            EXPECT_EQ(view.eolMode(), to);
            EXPECT_EQ(saved(), withEnds(to));
        }
    }
}

TEST_F(TextDocTest, MixedLineEndsKeepTheirBytesAndTheFirstDecides)
{
    load("a\nb\r\nc\rd");
    EXPECT_EQ(view.eolMode(), EolLf);
    EXPECT_EQ(saved(), "a\nb\r\nc\rd");
}

TEST_F(TextDocTest, Utf16LineEndsAreFoundInTheDecodedText)
{
    load(utf16Bytes("a\nb", false));
    EXPECT_EQ(view.eolMode(), EolLf);
    load(utf16Bytes("a\rb\r\n", true));
    EXPECT_EQ(view.eolMode(), EolCr);
    load(utf16Bytes("a\r\nb", true));
    EXPECT_EQ(view.eolMode(), EolCrLf);
}

TEST_F(TextDocTest, EmptyAndOneByteFilesAreAnsiWithCrLf)
{
    for (const std::string& bytes : {std::string(), std::string("x"), std::string("\xE9")}) {
        load(bytes);
        EXPECT_EQ(view.encoding(), EncAnsi);
        EXPECT_EQ(view.eolMode(), EolCrLf);
        EXPECT_EQ(saved(), bytes);
    }
}

TEST_F(TextDocTest, TheMarkNotTheOpenModeDecidesTheDecoding)
{
    load(utf16Bytes("hi\u00E9", false), EncUtf8);   // UTF-16 file forced to "UTF-8"
    EXPECT_EQ(view.encoding(), EncUtf8);
    EXPECT_EQ(view.text(), "hi\xC3\xA9");
    EXPECT_EQ(saved(), "\xEF\xBB\xBF" "hi\xC3\xA9");

    load("plain \xC3\xA9", EncUtf16LE);              // no mark: taken as UTF-8 bytes
    EXPECT_EQ(view.text(), "plain \xC3\xA9");
    EXPECT_EQ(saved(), utf16Bytes(QString::fromUtf8("plain \xC3\xA9"), false));

    load("\xEF\xBB\xBF" "x", EncAnsi);               // forced ANSI keeps the mark as text
    EXPECT_EQ(view.text(), "\xC3\xAF\xC2\xBB\xC2\xBF" "x");
}

TEST_F(TextDocTest, ASequenceAfterThePureAsciiFirstBlockStillOpensAsAnsi)
{
    std::string bytes(kBlockSize, 'a');
    bytes += "\xC3\xA9";
    load(bytes);
    EXPECT_EQ(view.encoding(), EncAnsi);
    EXPECT_EQ(saved(), bytes);
}

// Sequences cut by the 102400 and 204800 block edges, on load and on save.
TEST_F(TextDocTest, BlockEdgesNeverCutACharacter)
{
    // UTF-8 without mark: a 3-byte character over the first edge, a 4-byte one over
    // the second, and a CR LF pair over a save chunk edge.
    std::string u8 = "\xC3\xA9";
    u8 += std::string(kBlockSize - 1 - u8.size(), 'x') + "\xE2\x82\xAC";    // bytes 102399-102401
    u8 += std::string(2 * kBlockSize - 2 - u8.size(), 'y') + "\xF0\x9D\x84\x9E";
    u8 += std::string(3 * kBlockSize - 1 - u8.size(), 'z') + "\r\n tail";
    load(u8);
    ASSERT_EQ(view.encoding(), EncUtf8NoBom);
    EXPECT_EQ(view.text(), u8);
    EXPECT_EQ(saved(), u8);

    // UTF-16 with mark: surrogate pairs whose halves sit on both sides of each edge.
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big endian" : "little endian");
        QString t(int(kBlockSize / 2 - 2), QChar('a'));                  // mark + units up to 102398
        t += QString::fromUtf8("\xF0\x9D\x84\x9E");                      // high at 102398, low at 102400
        t += QString(int(kBlockSize / 2 - 2), QChar('b'));             // next pair at 204798
        t += QString::fromUtf8("\xF0\x9F\x98\x80") + "end";              // over 204800
        const std::string file = utf16Bytes(t, big);
        ASSERT_EQ(file.substr(kBlockSize - 2, 2), utf16Bytes(QString(QChar(0xD834)), big, false));
        ASSERT_EQ(file.substr(2 * kBlockSize - 2, 2), utf16Bytes(QString(QChar(0xD83D)), big, false));
        load(file);
        EXPECT_EQ(view.text(), utf8(t));
        EXPECT_EQ(saved(), file);
    }
}

TEST_F(TextDocTest, CutOffSequencesAtTheEndSaveBackUnchanged)
{
    const std::string utf8Cut = "\xEF\xBB\xBF" "ab\xE2\x82";
    load(utf8Cut);
    EXPECT_EQ(view.text(), "ab\xE2\x82");                           // malformed bytes stay bytes
    EXPECT_EQ(saved(), utf8Cut);
    const std::string highLast = utf16Bytes(QString("ab") + QChar(0xD834), true);
    load(highLast);
    EXPECT_EQ(view.text(), "ab\xED\xA0\xB4");                       // like any lone surrogate
    EXPECT_EQ(saved(), highLast);
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big endian" : "little endian");
        const std::string odd = utf16Bytes(QString("ab") + QChar(0xD834), big) + "c";
        load(odd);
        EXPECT_EQ(view.text(), "ab\xED\xA0\xB4\xEF\xBF\xBD");          // the odd byte shows as U+FFFD
        EXPECT_FALSE(view.isModified());
        EXPECT_EQ(saved(), odd);
        // Edits elsewhere keep the odd byte; once its U+FFFD is gone, so is the byte.
        view.setSel(0, 0);
        view.addText("x");
        EXPECT_EQ(saved(), utf16Bytes(QString("xab") + QChar(0xD834), big) + "c");
        view.setSel(view.length(), view.length());
        view.addText("y");
        EXPECT_EQ(saved(), utf16Bytes(QString("xab") + QChar(0xD834) + QChar(0xFFFD) + "y", big));
        // A relabelled document writes its text, U+FFFD included.
        load(odd);
        changeEncoding(view, EncUtf8NoBom);
        EXPECT_EQ(saved(), "ab\xED\xA0\xB4\xEF\xBF\xBD");
    }
}

TEST_F(TextDocTest, LoneSurrogatesSaveBackUnchanged)
{
    const QString t = QString("a") + QChar(0xDC00) + "b" + QChar(0xD800) + "c";
    const std::string file = utf16Bytes(t, false);
    load(file);
    EXPECT_EQ(view.text().size(), 9u);
    EXPECT_EQ(saved(), file);
}

TEST(TextCodecs, EncodersCarrySequencesAcrossPieces)
{
    const std::string text = "\xE2\x82\xAC\xF0\x9D\x84\x9E\xC3\xA9" "a";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        Utf16Encoder enc(false);
        AnsiEncoder ansiEnc;
        std::string u16, a;
        enc.encode(text.data(), cut, u16);
        enc.encode(text.data() + cut, text.size() - cut, u16);
        enc.finish(u16);
        ansiEnc.encode(text.data(), cut, a);
        ansiEnc.encode(text.data() + cut, text.size() - cut, a);
        ansiEnc.finish(a);
        EXPECT_EQ(u16, utf16Bytes(QString::fromUtf8(text), false, false)) << cut;
        EXPECT_EQ(a, bytesOf({0x80, '?', 0xE9, 'a'})) << cut;
    }
}

// Whatever the bytes, a file opened and saved without edits gets back the very bytes it
// had: random files in every encoding, with and without their marks, short ones and ones
// whose odd bytes sit on the block edges.
TEST_F(TextDocTest, AnyFileSavesBackByteForByteWhenUnedited)
{
    std::mt19937 random(20261209);
    // Bytes that stress the decoders: ASCII, line ends, zeros, UTF-8 lead and
    // continuation bytes, surrogate halves, the marks' own bytes.
    const std::string interesting = bytesOf({0x00, 0x0A, 0x0D, 'a', 0x7F, 0x80, 0xBF, 0xC0, 0xC3, 0xDF, 0xE0, 0xE2,
                                             0xED, 0xF0, 0xF4, 0xF8, 0xFE, 0xFF, 0xD8, 0xDB, 0xDC, 0xDF, 0xBB, 0xEF});
    auto randomBytes = [&](size_t n) {
        std::string s(n, '\0');
        for (char& c : s)
            c = random() % 3 ? interesting[random() % interesting.size()] : char(random() % 256);
        return s;
    };
    const std::string marks[] = {"", bytesOf({0xFE, 0xFF}), bytesOf({0xFF, 0xFE}), "\xEF\xBB\xBF"};
    const int markEncodings[] = {EncUtf8NoBom, EncUtf16BE, EncUtf16LE, EncUtf8};
    auto check = [&](const std::string& file, int mode) {
        load(file, mode);
        EXPECT_FALSE(view.isModified());
        const std::string back = saved();
        EXPECT_EQ(back.size(), file.size());
        EXPECT_TRUE(back == file) << "mode " << mode << ", " << file.size() << " bytes";
    };
    for (int round = 0; round < 40; ++round) {
        const size_t m = size_t(round) % 4;
        const std::string file = marks[m] + randomBytes(random() % 40);
        SCOPED_TRACE("round " + std::to_string(round));
        check(file, OpenAutomatic);
        check(file, EncAnsi);
        if (m != 0)
            check(file, markEncodings[m]);   // forced to the encoding its mark names
        else if (detectEncoding(file.data(), file.size()) == EncUtf8NoBom)
            check(file, EncUtf8NoBom);
    }
    // Odd lengths and cut sequences at the block edges.
    for (int round = 0; round < 6; ++round) {
        const std::string& mark = marks[1 + round % 3];
        std::string file = mark + std::string(kBlockSize - 5 - mark.size() + size_t(round), 'x') + randomBytes(9);
        SCOPED_TRACE("edge round " + std::to_string(round));
        check(file, OpenAutomatic);
    }
}

TEST(TextCodecs, AnAnsiDocumentCountsOneByteForEachCharacterInAnyRange)
{
    testApp();
    // Characters of one, two and three UTF-8 bytes in a text long enough for the counter
    // to sum its lanes several times; the component's gap moved into the middle.
    std::string text;
    const char* pieces[] = {"a", "caf\xC3\xA9", "\xE2\x82\xAC", " ", "\xC3\xBC\xC3\x9F", "line\r\n", "xyz12"};
    for (int i = 0; text.size() < 40000; ++i)
        text += pieces[(i * 3 + i / 7) % 7];
    CTextView view;
    view.setEncoding(textdoc::EncAnsi);
    view.SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, text.c_str());
    view.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 20001UL, "\xE2\x82\xAC");
    text.insert(20001, "\xE2\x82\xAC");
    auto characters = [&](long from, long to) {
        long n = 0;
        for (long i = from; i < to; ++i)
            n += (static_cast<unsigned char>(text[size_t(i)]) & 0xC0) != 0x80;
        return n;
    };
    EXPECT_EQ(view.documentBytes(), characters(0, long(text.size())));
    for (auto [from, to] : {std::pair<long, long>{0, 7}, {3, 2045}, {1, 20001}, {19990, 20010}, {5, 39000}, {17, 2057}}) {
        view.setSel(from, to);
        EXPECT_EQ(view.selectionBytes(), characters(from, to)) << from << ".." << to;
    }
}
