#pragma once
// One printed page as a list of drawing steps in device pixels: the
// background fills, the texts (each already cut to the lines that fit) and
// the ruled lines. Building the plan is separate from painting it, so the
// same page goes to a printer, a PDF file or the preview.
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace kanata {

struct PlanFill {
    QRectF rect;
    QColor colour;
};

struct PlanText {
    QRectF rect; // the text is drawn on one line inside it
    QRectF clip; // and clipped to this (the rect itself when empty)
    QString text;
    int alignment = 0; // Qt::Alignment flags
    QFont font;
};

struct PlanLine {
    QLineF line; // the pen's centre line
    double width = 1;
    Qt::PenStyle style = Qt::SolidLine;
};

struct PagePlan {
    std::vector<PlanFill> fills;
    std::vector<PlanText> texts;
    std::vector<PlanLine> lines;
};

// Fills first, then texts, then lines, on a painter whose coordinates are
// the plan's device pixels.
void PaintPlan(QPainter& painter, const PagePlan& plan);

} // namespace kanata
