#pragma once
// A colour button: shows its colour as a framed swatch beside a drop-down arrow and opens
// a palette of 40 named colours, with "automatic" (the button's default colour) above the
// grid and "more" (the system colour dialog) below it. Colours are COLORREF values: red in
// the low byte, blue in the third.
#include <QColor>
#include <QPushButton>
#include <functional>

class QFrame;

namespace options {

struct NamedColor {
    const char* name;
    int red, green, blue;
};
// The palette, row by row (8 columns, 5 rows).
const NamedColor* paletteColors();
inline constexpr int kPaletteSize = 40;

QColor fromColorRef(int ref);
int toColorRef(const QColor& c);

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);
    ~CColorButton() override;

    // Holding "default" shows and answers the default colour.
    bool isDefault() const { return m_default; }
    int color() const { return m_default ? m_defaultColor : m_color; }
    int defaultColor() const { return m_defaultColor; }
    void setDefaultColor(int ref);
    void setColor(int ref);
    void setToDefault();

    // The palette while it is open (nullptr otherwise).
    QFrame* paletteWindow() const { return m_palette; }
    void openPalette();

    // Chooses "any other colour"; the system colour dialog unless replaced. Returns an
    // invalid colour when the choice is cancelled.
    using Chooser = std::function<QColor(const QColor& initial, QWidget* parent)>;
    static void setChooser(Chooser chooser);

    QSize sizeHint() const override;

signals:
    // The user chose a colour or "default".
    void colorChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose(int ref, bool isDefault);
    void chooseMore();

    int m_color = 0;
    int m_defaultColor = 0;
    bool m_default = true;
    QFrame* m_palette = nullptr;
};

} // namespace options
