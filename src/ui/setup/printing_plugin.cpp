// The printing module (libtavrino-printing.so): print jobs on Qt's printers.
#include "ui/setup/printer_surface.h"
#include "ui/setup/printing_module.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace tavrino {
namespace {

class QtPrinterJob : public PrinterJob {
public:
    explicit QtPrinterJob(const std::function<void(QPrinter&)>& prepare)
        : m_printer(QPrinter::HighResolution) {
        if (prepare) prepare(m_printer);
        m_surface = std::make_unique<PrinterSurface>(m_printer);
        // Asked before printing: the finished document is no longer active.
        m_started = m_surface->isActive();
    }
    PrintSurface& surface() override { return *m_surface; }
    bool started() const override { return m_started; }
    QString printerName() const override { return m_printer.printerName(); }

private:
    QPrinter m_printer;
    std::unique_ptr<PrinterSurface> m_surface;
    bool m_started = false;
};

bool hasDefaultPrinter() {
    return !QPrinterInfo::defaultPrinter().isNull();
}

PrinterJob* openJob(const std::function<void(QPrinter&)>& prepare) {
    return new QtPrinterJob(prepare);
}

const PrintingModule module{hasDefaultPrinter, openJob};

} // namespace
} // namespace tavrino

extern "C" Q_DECL_EXPORT const tavrino::PrintingModule* tavrinoPrintingModule() {
    return &tavrino::module;
}
