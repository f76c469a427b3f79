#pragma once

#include "store/profile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrino {

// Records read from another password manager's CSV export (KeePassXC,
// Bitwarden, Chrome/Chromium/Edge, Firefox, 1Password) or Tavrino's own,
// known by the header row. Every row that can be stored is taken; what was
// changed or left out is said, row by row.
struct RecordImport {
    QString source;                // "KeePassXC", "Bitwarden", ... or empty when refused
    QString error;                 // why nothing could be read at all
    QList<PasswordRecord> records; // those that can be stored
    QStringList notes;             // "row 3 (Shop): ..." for each change or skip
    int skipped = 0;

    // today: the date relative dates and two-digit years are read against.
    static RecordImport read(const QByteArray& file, const QDate& today);
};

// What adding the imported records to a profile did.
struct ImportOutcome {
    int added = 0;
    int alreadyThere = 0; // the same record (description, user, password, web site) is there
    QStringList newCategories;
};

// Adds them (and their categories), never one twice.
ImportOutcome addImported(Profile& profile, const QList<PasswordRecord>& records);

// The report of an import for the user: what came from where, then each note.
QString importReport(const RecordImport& import, const ImportOutcome& outcome);

// The profile's records as Tavrino's CSV, which read() (and every password
// manager) takes back as they are. forSpreadsheet: a cell a spreadsheet
// would run as a formula (it begins with =, +, -, @, a tab or a carriage
// return) gets a "'" in front, so that opening the file runs nothing a
// record's author planted; such a file no longer reads back exactly.
QByteArray exportCsv(const Profile& profile, bool forSpreadsheet = false);
// How many cells of the export a spreadsheet would run as formulas.
int formulaCells(const Profile& profile);

} // namespace tavrino
