#include "printing_module.h"

#include <QCoreApplication>
#include <QLibrary>

namespace tavrino {

const PrintingModule* PrintingModule::load(QString* error) {
    static const PrintingModule* module = nullptr;
    if (module) return module;
    const QString file = QStringLiteral("libtavrino-printing.so");
    const QString programFolder = QCoreApplication::applicationDirPath();
    QString reason;
    // The build puts it beside the program, an installation in tavrino/ of
    // the library folder beside the program's folder.
    for (const QString& folder :
         {programFolder, programFolder + QStringLiteral("/" TAVRINO_PRINTING_FROM_BINDIR)}) {
        QLibrary library(folder + QLatin1Char('/') + file);
        if (!library.load()) {
            if (reason.isEmpty()) reason = library.errorString();
            continue;
        }
        const auto entry =
            reinterpret_cast<PrintingModuleEntry>(library.resolve(PrintingModuleEntryName));
        if (entry && (module = entry())) return module;
        reason = library.errorString();
    }
    if (error) *error = reason;
    return nullptr;
}

} // namespace tavrino
