#include "printing/CallSheets.h"

#include <QFontMetricsF>

#include <algorithm>

namespace kanata {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QFont SheetFont(double pixels, bool bold) {
    QFont font;
    font.setFamilies({QString::fromLatin1(kFallbackPrintFont)});
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(std::max(1, static_cast<int>(pixels)));
    font.setBold(bold);
    return font;
}

double Mm(double mm, double dpi) {
    return mm * dpi / 25.4;
}

} // namespace

std::vector<PagePlan> PlanItemSheet(const ItemLines& items, const QFont& font,
                                    const PageGeometry& page) {
    const QFontMetricsF metrics(font);
    double labels = 0;
    for (const auto& [name, value] : items)
        labels = std::max(labels, metrics.horizontalAdvance(Q("[" + name + "]　")));
    const double left = Mm(10, page.dpiX);
    const double top = Mm(10, page.dpiY);
    const double lineH = metrics.height() * 1.2;
    std::vector<PagePlan> pages(1);
    double y = top;
    for (const auto& [name, value] : items) {
        if (y + lineH > page.height - top && !pages.back().texts.empty()) {
            pages.emplace_back();
            y = top;
        }
        const int align = Qt::AlignLeft | Qt::AlignVCenter;
        const QRectF line(left, y, page.width - 2 * left, lineH);
        pages.back().texts.push_back({line, {}, Q("[" + name + "]　　"), align, font});
        pages.back().texts.push_back({line.adjusted(labels, 0, 0, 0), {}, Q(value), align, font});
        y += lineH;
    }
    return pages;
}

PagePlan PlanMemoSheet(const MessageMemo& memo, const PageGeometry& page) {
    PagePlan plan;
    const double margin = Mm(3, page.dpiX);
    const double width = page.width - 2 * margin;
    const QFont title = SheetFont(Mm(5, page.dpiY), true);
    const QFont body = SheetFont(Mm(3.4, page.dpiY), false);
    const double lineH = Mm(5.6, page.dpiY);
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    double y = Mm(3, page.dpiY);
    const auto text = [&](const std::string& s, const QFont& f, int align, double height) {
        plan.texts.push_back({QRectF(margin, y, width, height), {}, Q(s), align, f});
        y += height;
    };
    const auto rule = [&](double at) {
        plan.lines.push_back(
            {QLineF(margin, at, margin + width, at), Mm(0.2, page.dpiY), Qt::SolidLine});
    };
    text(memo.title, title, Qt::AlignHCenter | Qt::AlignVCenter, Mm(8, page.dpiY));
    rule(y);
    y += Mm(2, page.dpiY);
    text("　　　　　　　　　様へ", body, left, lineH);
    rule(y - Mm(0.8, page.dpiY));
    text((memo.caller.empty() ? std::string("　　　　　　　　　") : memo.caller) + " 様より", body,
         left, lineH);
    rule(y - Mm(0.8, page.dpiY));
    y += Mm(1.5, page.dpiY);
    const auto number = [&] { text("     電話番号： " + memo.tel, body, left, lineH); };
    for (int k = 0; k < static_cast<int>(memo.items.size()); ++k) {
        if (!memo.items[static_cast<std::size_t>(k)].empty())
            text("□ " + memo.items[static_cast<std::size_t>(k)], body, left, lineH);
        if (memo.telPos == k + 1 && !memo.tel.empty())
            number();
    }
    y += Mm(1.5, page.dpiY);
    text("【MEMO】", body, left, lineH);
    const double memoTop = y;
    const double foot = page.height - Mm(3, page.dpiY) - lineH;
    plan.lines.push_back(
        {QLineF(margin, memoTop, margin, foot), Mm(0.2, page.dpiX), Qt::SolidLine});
    plan.lines.push_back(
        {QLineF(margin + width, memoTop, margin + width, foot), Mm(0.2, page.dpiX), Qt::SolidLine});
    rule(memoTop);
    rule(foot);
    y = foot + Mm(0.5, page.dpiY);
    text("受付： " + memo.reception, body, left, lineH);
    return plan;
}

} // namespace kanata
