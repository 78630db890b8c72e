#include "printing/gui/PrinterSettingsFile.h"

#include "settings/IniFile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace kanata {

namespace {
constexpr const char* kSection = "PRINTER";
}

bool AnyPrinterInstalled() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void SavePrinterSettings(const std::filesystem::path& file, const QPrinter& printer) {
    IniFile ini(file, IniFile::Encoding::Utf8);
    ini.writeString(kSection, "Name", printer.printerName().left(32).toStdString());
    const QPageLayout layout = printer.pageLayout();
    ini.writeString(kSection, "PageSize", layout.pageSize().key().toStdString());
    ini.writeInteger(kSection, "Orientation",
                     layout.orientation() == QPageLayout::Landscape ? 1 : 0);
    ini.writeInteger(kSection, "ColorMode", printer.colorMode() == QPrinter::Color ? 1 : 0);
    ini.writeInteger(kSection, "Duplex", static_cast<int>(printer.duplex()));
    ini.save();
}

bool RestorePrinterSettings(const std::filesystem::path& file, QPrinter& printer) {
    IniFile ini(file, IniFile::Encoding::Utf8);
    if (!ini.load() || !ini.hasSection(kSection))
        return false;
    const QString name = QString::fromStdString(ini.readString(kSection, "Name"));
    if (name.isEmpty() || !QPrinterInfo::availablePrinterNames().contains(name))
        return false;
    printer.setPrinterName(name);
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    const QString sizeKey = QString::fromStdString(ini.readString(kSection, "PageSize"));
    for (const QPageSize& size : info.supportedPageSizes())
        if (size.key() == sizeKey)
            printer.setPageSize(size);
    printer.setPageOrientation(ini.readInteger(kSection, "Orientation", 0) == 1
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    printer.setColorMode(ini.readInteger(kSection, "ColorMode", 1) == 1 ? QPrinter::Color
                                                                        : QPrinter::GrayScale);
    printer.setDuplex(static_cast<QPrinter::DuplexMode>(
        std::clamp(ini.readInteger(kSection, "Duplex", 0), 0, 3)));
    return true;
}

} // namespace kanata
