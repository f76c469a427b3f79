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

// The profile's records as Tavrino's CSV, which read() takes back as they are.
QByteArray exportCsv(const Profile& profile);

} // namespace tavrino
