#include "printing/ListPrintJob.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kanata {

namespace {

Qt::Alignment Horizontal(HorizontalPosition p) {
    switch (p) {
    case HorizontalPosition::Left:
        return Qt::AlignLeft;
    case HorizontalPosition::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignHCenter;
    }
}

Qt::PenStyle PenStyleOf(int type) {
    if (type == 3 || type == 4)
        return Qt::DotLine;
    if (type == 5)
        return Qt::DashDotLine;
    return Qt::SolidLine;
}

QColor ColourOf(StoredColour c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

QString PrintedDateText(const QDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%4d/%2.d/%2.d", date.year(), date.month(), date.day());
    return QString::fromLatin1(text);
}

std::vector<QString> WrapToLines(const QString& text, const QFont& font, double width,
                                 int maxLines) {
    std::vector<QString> lines;
    if (text.isEmpty() || maxLines <= 0)
        return lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (static_cast<int>(lines.size()) < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1.0, width));
        lines.push_back(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

ListPrintJob::ListPrintJob(ListPrintSettings settings, const PageGeometry& page,
                           PrintRecordSource& source, long long target)
    : s_(std::move(settings)), page_geometry_(page), source_(source), target_(target) {
    recordsPerPage_ = RecordsPerPage(s_.format, page);
    pageCount_ = PageCount(target_, recordsPerPage_);
    measure();
    layOutColumns();
}

void ListPrintJob::measure() {
    body_ = BodyFont(s_.format, page_geometry_.dpiY);
    title_ = TitleFont(s_.format, page_geometry_.dpiY);
    // A line is one em high, as tall as a full-width character: the
    // record count per page is worked out with that height, and the fonts
    // found here put extra leading into their line spacing that would push
    // the last records off the page.
    lineH_ = body_.pixelSize();
    cw_ = std::ceil(QFontMetricsF(body_).horizontalAdvance(QStringLiteral("ｳ")));
    half_ = std::round(lineH_ / 2);
    titleLineH_ = title_.pixelSize();
    left_ = MarginPixels(page_geometry_.dpiX, s_.format.offsetX);
    top_ = MarginPixels(page_geometry_.dpiY, s_.format.offsetY);
}

void ListPrintJob::layOutColumns() {
    const auto& lines = s_.format.lines;
    const double leftInset = lines[LeftEdge].on ? cw_ * 2 / 3 : 0;
    const double rightInset = lines[RightEdge].on ? cw_ * 2 / 3 : 0;
    const double limit = page_geometry_.width - rightInset;
    double x = left_ + leftInset;
    double natural = left_ + leftInset + rightInset;
    for (std::size_t k = 0; k < s_.layout.size(); ++k) {
        const double width = s_.layout[k].width * cw_;
        natural += width + (k > 0 ? cw_ : 0);
        if (x < limit)
            columns_.push_back({s_.layout[k].item, x, std::min(width, limit - x)});
        x += width + cw_;
    }
    tableRight_ = std::min<double>(natural, page_geometry_.width);
}

bool ListPrintJob::fetch() {
    if (!fetched_) {
        pending_ = printed_ < target_ ? source_.next() : std::nullopt;
        fetched_ = true;
    }
    return pending_.has_value();
}

void ListPrintJob::addLine(PagePlan& plan, RuledLine position, QLineF line, int towards) {
    const RuledLineSetting& setting = s_.format.lines[position];
    if (!setting.on)
        return;
    const bool vertical = line.x1() == line.x2();
    const double width =
        LineThickness(setting.type, vertical ? page_geometry_.dpiX : page_geometry_.dpiY);
    const double shift = towards * width / 2;
    line.translate(vertical ? shift : 0, vertical ? 0 : shift);
    plan.lines.push_back({line, width, PenStyleOf(setting.type)});
}

double ListPrintJob::planHeadings(PagePlan& plan) {
    const PrintFormat& f = s_.format;
    const double bandLeft = left_;
    const double bandWidth = page_geometry_.width - left_;
    double y = top_;
    bool above = false;
    if (!f.title.empty()) {
        const double band = 2 * titleLineH_;
        plan.texts.push_back({QRectF(bandLeft, y, bandWidth, band),
                              {},
                              QString::fromStdString(f.title),
                              static_cast<int>(Horizontal(f.titlePos) | Qt::AlignVCenter),
                              title_});
        y += band;
        above = true;
    }
    const bool dateTop = f.datePosY == VerticalPosition::Top;
    const bool pageTop = f.pagePosY == VerticalPosition::Top;
    const double lastLine = page_geometry_.height - lineH_;
    if (f.viewDate) {
        const bool sharesX = f.viewPage && f.datePosX == f.pagePosX;
        double dateY = y;
        if (!dateTop)
            dateY = lastLine - (f.viewPage && !pageTop && sharesX ? lineH_ : 0);
        plan.texts.push_back({QRectF(bandLeft, dateY, bandWidth, lineH_),
                              QRectF(bandLeft, dateY - half_ / 2, bandWidth, lineH_ + half_),
                              PrintedDateText(s_.date),
                              static_cast<int>(Horizontal(f.datePosX) | Qt::AlignVCenter), body_});
        if (dateTop) {
            if (!f.viewPage || !pageTop)
                y += lineH_ + half_;
            else if (sharesX)
                y += lineH_;
            above = true;
        }
    }
    if (f.viewPage) {
        const double pageY = pageTop ? y : lastLine;
        plan.texts.push_back({QRectF(bandLeft, pageY, bandWidth, lineH_),
                              QRectF(bandLeft, pageY - half_ / 2, bandWidth, lineH_ + half_),
                              QString::fromStdString(PageNumberText(f.pageType, page_, pageCount_)),
                              static_cast<int>(Horizontal(f.pagePosX) | Qt::AlignVCenter), body_});
        if (pageTop) {
            y += lineH_ + half_;
            above = true;
        }
    }
    if (!above) {
        y += half_ / 2;
        if (f.lines[TopEdge].on)
            y -= LineThickness(f.lines[TopEdge].type, page_geometry_.dpiY);
    }
    return y;
}

void ListPrintJob::planHeader(PagePlan& plan, double y) {
    if (s_.format.headerColourExists)
        plan.fills.push_back({QRectF(left_, y - half_ / 2, tableRight_ - left_, lineH_ + half_),
                              ColourOf(s_.format.headerColour)});
    for (const Column& c : columns_) {
        const std::string caption =
            c.item >= 0 && c.item < static_cast<int>(s_.items.size())
                ? HeaderCaption(s_.format.source, c.item, s_.items[c.item].caption)
                : std::string();
        if (!caption.empty())
            plan.texts.push_back({QRectF(c.x, y, c.width, lineH_),
                                  QRectF(c.x, y - half_ / 2, c.width, lineH_ + half_),
                                  QString::fromStdString(caption),
                                  static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter), body_});
    }
}

void ListPrintJob::planRecord(PagePlan& plan, const std::vector<std::string>& values, double y,
                              int onPage) {
    const int rows = s_.format.rowsPerRecord();
    const auto& colours = s_.format.dataColours;
    if (!colours.empty())
        plan.fills.push_back(
            {QRectF(left_, y, tableRight_ - left_, rows * lineH_ + half_ / 2),
             ColourOf(colours[static_cast<std::size_t>(onPage) % colours.size()])});
    for (const Column& c : columns_) {
        QString text;
        if (c.item == kSerialItem)
            text = QString::number(printed_ + 1);
        else if (c.item > kBlankItem && c.item < static_cast<int>(values.size()))
            text = QString::fromStdString(values[static_cast<std::size_t>(c.item)]);
        const auto lines = WrapToLines(text, body_, c.width, rows);
        // The block's rows and half of the gaps around it.
        const QRectF block(c.x, y - half_ / 2, c.width, rows * lineH_ + half_);
        for (std::size_t i = 0; i < lines.size(); ++i)
            plan.texts.push_back({QRectF(c.x, y + static_cast<double>(i) * lineH_, c.width, lineH_),
                                  block, lines[i],
                                  static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter), body_});
    }
}

void ListPrintJob::startAtPage(int page) {
    const long long before = static_cast<long long>(std::max(0, page - 1)) * recordsPerPage_;
    source_.skip(std::min(before, target_));
    printed_ = std::min(before, target_);
    page_ = std::max(1, page);
    fetched_ = false;
}

bool ListPrintJob::planPage(PagePlan& plan, bool& more) {
    plan = {};
    more = false;
    if (!fetch())
        return false;
    double y = planHeadings(plan);
    const double headerTop = y - half_ / 2;
    planHeader(plan, y);
    addLine(plan, TopEdge, QLineF(left_, headerTop, tableRight_, headerTop), +1);
    y += lineH_ + half_;
    const int rows = s_.format.rowsPerRecord();
    int onPage = 0;
    double lastEnd = y - half_;
    while (onPage < recordsPerPage_ && fetch()) {
        planRecord(plan, *pending_, y, onPage);
        fetched_ = false;
        ++printed_;
        ++onPage;
        lastEnd = y + rows * lineH_;
        y = lastEnd + half_;
        const double gap = lastEnd + half_ / 2;
        if (onPage % s_.format.horzInterval == 0 && onPage < recordsPerPage_ && fetch())
            addLine(plan, InnerHorizontal, QLineF(left_, gap, tableRight_, gap), 0);
    }
    const double bottom = lastEnd + half_ / 2;
    addLine(plan, BottomEdge, QLineF(left_, bottom, tableRight_, bottom), -1);
    addLine(plan, LeftEdge, QLineF(left_, headerTop, left_, bottom), +1);
    addLine(plan, RightEdge, QLineF(tableRight_, headerTop, tableRight_, bottom), -1);
    for (std::size_t k = 0; k + 1 < columns_.size(); ++k) {
        const double x = columns_[k].x + columns_[k].width + cw_ / 2;
        addLine(plan, InnerVertical, QLineF(x, headerTop, x, bottom), 0);
    }
    ++page_;
    more = fetch();
    return true;
}

} // namespace kanata
