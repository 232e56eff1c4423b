#pragma once
// The hex view's window: paints the model and forwards keys, mouse and scroll bar to it.
//
// For the document frame:
//   load(path)            opens a file (false when it cannot be opened; the frame reports it)
//   save()                writes the typed bytes in place (false after a refusal or failure,
//                         which it has already reported in a message box)
//   saveAs(path)          writes a copy with the typed bytes and goes on with it
//   isModified()          the document's modified mark; modifiedChanged(bool) when it flips
//   setReadOnly(bool)     the document's read-only state (typing beeps, text turns gray)
//   setSchemeFont(font, background)  the screen font and background of the font scheme
//   statusText(), sizeText(), modeText(), overtypeText()  the status bar's panes 1 to 4;
//                         statusChanged(QString) whenever the first of them changes
//   command(id), isCommandEnabled(id)  200 undo, 203 copy, 57680 switch column (F6)
#include "documents/hex/HexModel.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRawFont>
#include <array>
#include <QTimer>

class CHexView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum Command { CmdUndo = 200, CmdCopy = 203, CmdSwitchColumn = 57680 };

    explicit CHexView(QWidget* parent = nullptr);

    // Shows the file from its start. False (and an empty view) when it cannot be opened;
    // *error then holds the system's text for the failure.
    bool load(const QString& path, QString* error = nullptr);
    bool isLoaded() const { return model_.isLoaded(); }
    QString path() const { return model_.path(); }
    qint64 fileSize() const { return model_.size(); }

    // Writes the typed bytes into the file in place and flushes them. A file whose size
    // changed on disk, another file that took its path, or a failed write, is reported with
    // message 1036 and returns false; the document then stays modified.
    bool save();
    // Writes the file with its typed bytes to another path (reported like save()) and then
    // shows that file. Large files take as long as copying them.
    bool saveAs(const QString& path);
    bool isModified() const { return model_.isModified(); }

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return model_.isReadOnly(); }

    // The font scheme's screen font and background colour. Without a call the view uses the
    // system's fixed-pitch font on the palette's base colour.
    void setSchemeFont(const QFont& font, const QColor& background = QColor());

    // Status bar texts: "Offset %XH %d  Sel %d", the file size, "Hex" and "OVR".
    QString statusText() const { return model_.statusText(); }
    QString sizeText() const;
    QString modeText() const;
    QString overtypeText() const;

    // Commands the view takes while it has the focus. command() returns false for others.
    bool command(int id);
    bool isCommandEnabled(int id) const;
    bool canUndo() const { return model_.canUndo(); }
    void undo();
    void copy();           // copying is not offered by the hex view
    void switchColumn();

    hex::HexModel& model() { return model_; }
    const hex::HexModel& model() const { return model_; }

    QSize sizeHint() const override;

signals:
    void statusChanged(const QString& text);
    void modifiedChanged(bool modified);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool reportSave(hex::HexModel::SaveResult result, const QString& path, const QString& error);
    void sync();
    void syncScrollBar();
    void notifyChanges();
    void endCapture();
    void onBarAction(int action);
    void onBarValue(int value);
    void autoScroll();
    void updateCursorShape(const QPoint& pos);

    hex::HexModel model_;
    QColor background_;
    // With a fixed-pitch font the view draws glyphs straight from this table (one run per
    // colour for the whole screen) instead of laying out text; otherwise cell by cell.
    bool fastGlyphs_ = false;
    QRawFont rawFont_;
    std::array<quint32, 128> glyphs_ {};
    friend class HexTextRun;
    bool pressed_ = false;
    QPoint pressPos_;
    QPoint dragPos_;
    QTimer autoScrollTimer_;
    QTimer blinkTimer_;
    bool caretOn_ = true;
    QString lastStatus_;
    bool lastModified_ = false;
};
