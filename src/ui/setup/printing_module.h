#pragma once

#include "ui/setup/print_list.h"

#include <QString>

#include <functional>

class QPrinter;

namespace tavrino {

// Printing lives in a module of its own (libtavrino-printing.so), loaded when
// the user first prints: Qt's print support comes with it then, instead of
// being loaded at every start (a twentieth of the window's start).

// A print job on a printer, in points, landscape.
class PrinterJob {
public:
    virtual ~PrinterJob() = default;
    virtual PrintSurface& surface() = 0;
    // Whether the printer took the job: false, nothing prints.
    virtual bool started() const = 0;
    virtual QString printerName() const = 0;
};

struct PrintingModule {
    bool (*hasDefaultPrinter)();
    // A job on the default printer at high resolution; prepare, when set,
    // sets the printer up first (tests print to a PDF file). The caller owns it.
    PrinterJob* (*openJob)(const std::function<void(QPrinter&)>& prepare);

    // The module beside the program (in the build) or in its library folder
    // (installed), loaded on first use; nullptr, with the reason in error,
    // when it can not be loaded.
    static const PrintingModule* load(QString* error);
};

// The module's one exported function, by this name.
using PrintingModuleEntry = const PrintingModule* (*)();
inline constexpr char PrintingModuleEntryName[] = "tavrinoPrintingModule";

} // namespace tavrino
