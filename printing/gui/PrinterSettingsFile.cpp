#include "printing/gui/PrinterSettingsFile.h"

#include "settings/IniFile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace kanata {

namespace {

constexpr int kMaxNameLength = 32;
constexpr int kMaxPathLength = 4096;

// The stored paper on `printer`: the size only when the printer offers it
// (any size for a PDF file), then orientation and margins.
void ApplyPaper(const IniFile& ini, QPrinter& printer, const QList<QPageSize>& offered) {
    const QPageLayout stored = ReadListPageLayout(ini);
    if (offered.isEmpty()) {
        printer.setPageSize(stored.pageSize());
    } else {
        for (const QPageSize& size : offered)
            if (size.isEquivalentTo(stored.pageSize()))
                printer.setPageSize(size);
    }
    printer.setPageOrientation(stored.orientation());
    printer.setPageMargins(stored.margins(QPageLayout::Millimeter), QPageLayout::Millimeter);
}

} // namespace

bool AnyPrinterInstalled() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void SavePrinterSettings(const std::filesystem::path& file, const QPrinter& printer) {
    IniFile ini(file, IniFile::Encoding::Utf8);
    ini.load();
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    ini.writeString(kPrinterSection, "Name",
                    toFile ? std::string()
                           : printer.printerName().left(kMaxNameLength).toStdString());
    ini.writeString(kPrinterSection, "OutputFile",
                    toFile ? printer.outputFileName().left(kMaxPathLength).toStdString()
                           : std::string());
    WriteListPageLayout(ini, printer.pageLayout());
    ini.writeInteger(kPrinterSection, "ColorMode", printer.colorMode() == QPrinter::Color ? 1 : 0);
    ini.writeInteger(kPrinterSection, "Duplex", static_cast<int>(printer.duplex()));
    ini.save();
}

bool RestorePrinterSettings(const std::filesystem::path& file, QPrinter& printer) {
    IniFile ini(file, IniFile::Encoding::Utf8);
    if (!ini.load() || !ini.hasSection(kPrinterSection))
        return false;
    const QString name = QString::fromStdString(ini.readString(kPrinterSection, "Name"));
    const QString output = QString::fromStdString(ini.readString(kPrinterSection, "OutputFile"));
    if (!name.isEmpty()) {
        if (name.size() > kMaxNameLength || !QPrinterInfo::availablePrinterNames().contains(name))
            return false;
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
        ApplyPaper(ini, printer, QPrinterInfo::printerInfo(name).supportedPageSizes());
    } else if (!output.isEmpty() && output.size() <= kMaxPathLength) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        ApplyPaper(ini, printer, {});
    } else {
        return false;
    }
    printer.setColorMode(ini.readInteger(kPrinterSection, "ColorMode", 1) == 1
                             ? QPrinter::Color
                             : QPrinter::GrayScale);
    printer.setDuplex(static_cast<QPrinter::DuplexMode>(
        std::clamp(ini.readInteger(kPrinterSection, "Duplex", 0), 0, 3)));
    return true;
}

} // namespace kanata
