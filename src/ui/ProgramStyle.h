#pragma once

// The program's style: Fusion, which honours a palette fully on every desktop, with a group box's
// frame drawn in short pieces. Fusion stretches its frame picture down the whole box in one go;
// over as many rows as the main dialog's boxes have, Qt's painter shares that work out among
// threads it starts for the purpose, which costs more than the painting itself. Stretched here a
// band of rows at a time (one band, copied down the box, where the painter allows), the frame comes
// out pixel for pixel the same without them.

#include <QPixmap>
#include <QProxyStyle>

namespace dk3::ui {

class ProgramStyle : public QProxyStyle {
public:
    // groupBoxFrame: the picture Fusion draws group box frames with. When it is null or not made
    // as Fusion's is, Fusion draws the frames itself.
    explicit ProgramStyle(const QPixmap& groupBoxFrame);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

private:
    void drawGroupBoxFrame(const QStyleOption& option, QPainter& painter,
                           const QWidget* widget) const;

    // How far the picture's border reaches in from each side, as Fusion draws it.
    static constexpr int kFrameBorder = 6;
    // Whether every row of the picture between its top and bottom borders is the same, so that
    // the part Fusion stretches down the box can be stretched from a single row in short bands.
    static bool stretchesRowByRow(const QPixmap& picture);

    QPixmap frame_;
    bool stretchesRowByRow_;
};

} // namespace dk3::ui
