#pragma once
// The two pictures of the window, drawn as vector text and shapes so that they
// stay sharp at every screen scale.
//
// Texts use a small markup: '*' switches italics on and off, "^{...}" raises
// its contents as a superscript and "_{...}" lowers them as a subscript.

#include <QFont>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <vector>

class QPainter;

namespace aqvis {

// The markup without its control characters: "*c*_{*p*}" -> "cp".
QString Markup_Plain(const QString& markup);
// Advance width of the marked-up text in `font`.
qreal Markup_Width(const QString& markup, const QFont& font);
// Draws the marked-up text with its baseline starting at `origin`.
void Draw_Markup(QPainter& p, const QString& markup, const QFont& font, QPointF origin);

// The sans-serif family of the window's controls: narrow enough for the
// captions to fit the fixed label sizes.
QString Sans_Family();
// The sans-serif family of the pictures.
QString Picture_Family();

// imgTitle: what the program computes, on a shaded blue ground.  The picture
// is larger than its panel; the texts are centred over the part that the
// panel shows.
class TitlePicture : public QWidget {
    Q_OBJECT
public:
    explicit TitlePicture(QWidget* parent = nullptr);

    struct Line {
        QString markup;
        int pixel_size;
        bool bold;
        int gap_before;  // extra pixels above the line
    };
    static const std::vector<Line>& lines();

protected:
    void paintEvent(QPaintEvent*) override;
};

// imgResult: the fixed headings beside the values of the results panel, on a
// light grey ground.  Each heading is placed by the left end of its baseline,
// in pixels of the picture.
class ResultPicture : public QWidget {
    Q_OBJECT
public:
    explicit ResultPicture(QWidget* parent = nullptr);

    struct Heading {
        QString markup;
        int x;
        int y;  // baseline
        bool section;  // a bold section title rather than a column heading
    };
    static const std::vector<Heading>& headings();
    static QFont headingFont(bool section);

protected:
    void paintEvent(QPaintEvent*) override;
};

}  // namespace aqvis
