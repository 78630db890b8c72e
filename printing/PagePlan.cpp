#include "printing/PagePlan.h"

#include <QPainter>

namespace kanata {

void PaintPlan(QPainter& painter, const PagePlan& plan) {
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const PlanFill& f : plan.fills)
        painter.fillRect(f.rect, f.colour);
    painter.setPen(Qt::black);
    for (const PlanText& t : plan.texts) {
        painter.setFont(t.font);
        painter.setClipRect(t.rect);
        painter.drawText(t.rect, t.alignment | Qt::TextSingleLine, t.text);
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
