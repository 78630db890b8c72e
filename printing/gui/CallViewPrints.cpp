#include "printing/gui/CallViewPrints.h"

#include "data/DateTime.h"
#include "data/CallRecord.h"
#include "platform/MessageService.h"
#include "printing/CallSheets.h"
#include "printing/ListPrintRun.h"
#include "views/CallerFields.h"
#include "views/gui/TReceiveView.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>

namespace kanata {

namespace {

QStringList InstalledPrinters(const CallViewPrinting& p) {
    return p.printerNames ? p.printerNames() : QPrinterInfo::availablePrinterNames();
}

// Tells the user when there is no printer at all.
bool PrinterThere(const CallViewPrinting& p, TReceiveView& view) {
    if (!InstalledPrinters(p).isEmpty())
        return true;
    p.messages.error("プリンターがインストールされていません\r\n\r\n"
                     "先にプリンターをインストールしてください",
                     &view);
    return false;
}

void Prepare(const CallViewPrinting& p, QPrinter& printer) {
    if (p.preparePrinter)
        p.preparePrinter(printer);
}

bool PaintPages(QPrinter& printer, const std::vector<PagePlan>& pages) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            printer.newPage();
        PaintPlan(painter, pages[i]);
    }
    return painter.end();
}

} // namespace

void PrintCallItems(TReceiveView& view, const CallViewPrinting& p) {
    if (!PrinterThere(p, view))
        return;
    const OutputItemSettings& settings = view.outputSettings();
    if (settings.PrintMsg &&
        !p.messages.ask("画面の項目を印刷します\r\nよろしいですか？\r\n\r\n"
                        "※印刷したい項目は「印刷・出力項目の設定」で指定できます",
                        true, &view))
        return;
    const auto values = view.itemValues();
    ItemLines lines;
    for (const OutputItem& item : settings.order(view.addressBookMode()))
        if (item.output)
            lines.emplace_back(OutputItemName(item.code, view.addressBookMode()),
                               values[static_cast<std::size_t>(item.code)]);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("着信照会"));
    Prepare(p, printer);
    QFont font;
    font.setFamilies(
        {QString::fromStdString(settings.FontName), QString::fromLatin1(kFallbackPrintFont)});
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(settings.fontPoints() * printer.resolution() / 72);
    font.setBold(settings.bold());
    font.setItalic(settings.italic());
    if (!PaintPages(printer, PlanItemSheet(lines, font, GeometryOf(printer)))) {
        p.messages.error("問題が発生したため、印刷を中止しました", &view);
        return;
    }
    p.messages.information("印刷しました", &view);
}

void PrintCallWindow(TReceiveView& view, const CallViewPrinting& p) {
    if (!PrinterThere(p, view))
        return;
    if (!p.messages.ask("着信照会画面を印刷します\r\nよろしいですか？", true, &view))
        return;
    const QImage image = view.grab().toImage();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("着信照会画面"));
    Prepare(p, printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        p.messages.error("問題が発生したため、印刷を中止しました", &view);
        return;
    }
    const QRectF page(0, 0, printer.width(), printer.height());
    QFont title;
    title.setFamilies({QString::fromLatin1(kFallbackPrintFont)});
    title.setPixelSize(printer.resolution() * 14 / 72);
    title.setBold(true);
    painter.setFont(title);
    const double titleH = QFontMetricsF(title).height() * 2;
    painter.drawText(QRectF(0, 0, page.width(), titleH), Qt::AlignCenter,
                     QStringLiteral("着信照会画面"));
    const QSizeF fitted =
        QSizeF(image.size()).scaled(page.width(), page.height() - titleH, Qt::KeepAspectRatio);
    painter.drawImage(
        QRectF((page.width() - fitted.width()) / 2, titleH, fitted.width(), fitted.height()),
        image);
    painter.end();
    p.messages.information("印刷しました", &view);
}

void PrintMessageMemo(TReceiveView& view, const CallViewPrinting& p) {
    if (!PrinterThere(p, view))
        return;
    const QStringList printers = InstalledPrinters(p);
    const QString model = QString::fromLatin1(kMemoPrinterModel);
    const bool labelPrinter = printers.contains(model);
    if (!labelPrinter)
        p.messages.warning(std::string("プリンタ \"") + kMemoPrinterModel +
                               "\" がインストールされていません\r\n"
                               "他のプリンタでは正しく印刷できないおそれがあります",
                           &view);
    const OutputItemSettings& settings = view.outputSettings();
    if (settings.MemoPrintMsg)
        p.messages.information(std::string("プリンタ \"") + kMemoPrinterModel +
                                   "\" にて \r\n62 mm×100 mm の用紙サイズ、縦向き\r\n"
                                   "を指定して印刷してください\r\n\r\n"
                                   "※このメッセージは項目設定画面で非表示にできます",
                               &view);
    const CallerFields fields = view.fields();
    MessageMemo memo;
    memo.title = settings.MemoTitle;
    memo.caller = fields.CorpKanji.empty()   ? fields.NameKanji
                  : fields.NameKanji.empty() ? fields.CorpKanji
                                             : fields.CorpKanji + "　" + fields.NameKanji;
    memo.tel = fields.Tel1;
    memo.items = settings.MemoItems;
    memo.telPos = settings.MemoTelPos;
    if (view.record().RecvDateTime != 0.0) {
        const DateTime t = DateTime::fromDays(view.record().RecvDateTime);
        char text[32];
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute);
        memo.reception = text;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (labelPrinter)
        printer.setPrinterName(model);
    printer.setDocName(QString::fromStdString(settings.MemoTitle));
    printer.setPageSize(
        QPageSize(QSizeF(62, 100), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    Prepare(p, printer);
    if (!PaintPages(printer, {PlanMemoSheet(memo, GeometryOf(printer))})) {
        p.messages.error("問題が発生したため、印刷を中止しました", &view);
        return;
    }
    p.messages.information("印刷を完了しました", &view);
}

} // namespace kanata
