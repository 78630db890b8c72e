#include "printing/PagePlan.h"

#include <QPainter>
#include <QTextLayout>

namespace kanata {

namespace {

// The text is laid out with the font's own metrics, not the painter's
// device: glyphs keep the positions they have on paper when the page is
// drawn scaled (a preview would otherwise widen each glyph to whole screen
// pixels and push the ends of the texts out of their columns).
void DrawLine(QPainter& painter, const PlanText& t) {
    QTextLayout layout(t.text, t.font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return;
    }
    line.setLineWidth(1e7);
    layout.endLayout();
    const double width = line.naturalTextWidth();
    double x = t.rect.left();
    if (t.alignment & Qt::AlignRight)
        x = t.rect.right() - width;
    else if (t.alignment & Qt::AlignHCenter)
        x = t.rect.left() + (t.rect.width() - width) / 2;
    double y = t.rect.top();
    if (t.alignment & Qt::AlignVCenter)
        y += (t.rect.height() - line.height()) / 2;
    line.draw(&painter, QPointF(x, y));
}

} // namespace

void PaintPlan(QPainter& painter, const PagePlan& plan) {
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const PlanFill& f : plan.fills)
        painter.fillRect(f.rect, f.colour);
    painter.setPen(Qt::black);
    for (const PlanText& t : plan.texts) {
        painter.setClipRect(t.clip.isEmpty() ? t.rect : t.clip);
        DrawLine(painter, t);
    }
    painter.setClipping(false);
    for (const PlanLine& l : plan.lines) {
        QPen pen(Qt::black, l.width, l.style, Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(l.line);
    }
    painter.restore();
}

} // namespace kanata
