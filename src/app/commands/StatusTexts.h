#pragma once
// The status bar: five panes (menu help, position, size, encoding, insert mode) and the
// texts shown in them.
#include <QLocale>
#include <QString>
#include <array>

class QFontMetrics;
class QLabel;
class QStatusBar;

namespace cmd {

// String numbers of the status texts (the translation layer may replace them).
enum StatusStrings : int {
    StrPosition = 59200,     // "Ln %d/%d  Col %d  Sel %d"
    StrBytes = 59201,        // " Bytes"
    StrKB = 59202, StrMB = 59203, StrGB = 59204,
    StrEncodingFirst = 59205, // 59205-59209: "ANSI" ... "UTF-8 NOBOM"
    StrHex = 59210, StrIns = 59211, StrOvr = 59212,
};

// "Ln %d/%d  Col %d  Sel %d" from the zero-based caret line and column.
QString positionText(int caretLine, int lineCount, int caretColumn, int selectionLength);

// The number format the size text uses: the locale's thousands separator ("'" when it has
// none) and decimal separator.
struct SizeFormat {
    QString groupSeparator = QStringLiteral("'");
    QString decimalPoint = QStringLiteral(".");
    static SizeFormat fromLocale(const QLocale& locale);
};
// "1'023 Bytes", "1.50 KB", "1.00 MB", "1.00 GB".
QString sizeText(qint64 bytes, const SizeFormat& format);
QString sizeText(qint64 bytes, const QLocale& locale = QLocale());

// Display name of an encoding (0-4); "Hex" for a hex document is hexText().
QString encodingName(int encoding);
QString hexText();
// "INS" or "OVR".
QString insertModeText(bool overtype);

// Pane widths in pixels for panes 1-4 (pane 0 takes the rest): 180, the width of
// "9'999'999 Bytes", of "Unicode BE BOM" and of "OVR" + 10, each measured text with a
// margin of 9 pixels.
std::array<int, 4> paneWidths(const QFontMetrics& metrics);

// What panes 1-4 show for the active document.
struct StatusInfo {
    bool hasDocument = false;
    bool hex = false;
    int caretLine = 0, lineCount = 1, caretColumn = 0, selectionLength = 0;
    qint64 size = 0;
    int encoding = 0;
    bool overtype = false;
    QString hexPosition;   // the hex view's own position text for pane 1
};
// The four texts for panes 1-4; all empty without a document. A hex document shows its
// size, "Hex" and "OVR" and leaves the position pane empty unless given.
std::array<QString, 4> paneTexts(const StatusInfo& info, const QLocale& locale = QLocale());

// The five panes on a QStatusBar. Pane 0 is the ordinary message area (menu help from
// the actions' status tips lands there); panes 1-4 are fixed-width labels on the right.
class StatusPanes {
public:
    explicit StatusPanes(QStatusBar* bar);
    void show(const StatusInfo& info);
    void clear();
    QLabel* pane(int index) const;   // 1-4
    void updateWidths();

private:
    QStatusBar* m_bar;
    std::array<QLabel*, 4> m_panes{};
};

} // namespace cmd
