#include "conflict_report.h"

namespace tavrino::ConflictReport {
namespace {
const char* const FieldCaptions[PasswordRecord::FieldCount] = {
    "Category", "Description", "User Code", "Password/PIN", "Notes", "Expiry Date", "Web Site",
    "E-mail"};

QString quoted(const QString& name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}
} // namespace

QString recordName(const QString& line) {
    const PasswordRecord r = PasswordRecord::fromLine(line);
    return r[PasswordRecord::Description].isEmpty() ? r[PasswordRecord::UserCode]
                                                    : r[PasswordRecord::Description];
}

QString headline(const MergeConflict& conflict) {
    const QString name = quoted(recordName(conflict.base.isEmpty() ? conflict.mine : conflict.base));
    if (conflict.theirs.isEmpty())
        return QStringLiteral("Another user deleted the record %1 that you changed.").arg(name);
    if (conflict.mine.isEmpty())
        return QStringLiteral("Another user changed the record %1 that you deleted.").arg(name);
    return QStringLiteral("Another user changed the record %1 too.").arg(name);
}

QList<Row> rows(const MergeConflict& conflict) {
    const PasswordRecord before = PasswordRecord::fromLine(conflict.base);
    const PasswordRecord mine = PasswordRecord::fromLine(conflict.mine);
    const PasswordRecord theirs = PasswordRecord::fromLine(conflict.theirs);
    QList<Row> out;
    for (int f = 0; f < PasswordRecord::FieldCount; ++f) {
        const QString& b = before.fields[f];
        const QString& m = mine.fields[f];
        const QString& t = theirs.fields[f];
        if (b == m && m == t) continue;
        Row row{QString::fromLatin1(FieldCaptions[f]), b, m, t,
                conflict.fields.contains(f + 1), f + 1 == PasswordRecord::Password};
        out.append(row);
    }
    return out;
}

QString outcome(const QList<Answered>& answers) {
    QStringList lines;
    for (const Answered& a : answers) {
        const MergeConflict& c = a.conflict;
        const QString name = quoted(recordName(c.base.isEmpty() ? c.mine : c.base));
        switch (a.choice) {
        case ConflictChoice::KeepMine:
            lines << (c.mine.isEmpty()
                          ? QStringLiteral("%1: deleted as you did; the other user's change was "
                                           "dropped.")
                          : c.theirs.isEmpty()
                                ? QStringLiteral("%1: your version was kept; the other user had "
                                                 "deleted it.")
                                : QStringLiteral("%1: your version was kept; the other user's "
                                                 "was dropped."))
                         .arg(name);
            break;
        case ConflictChoice::KeepTheirs:
            lines << (c.theirs.isEmpty()
                          ? QStringLiteral("%1: deleted as the other user did; your change was "
                                           "dropped.")
                          : QStringLiteral("%1: the other user's version was kept; yours was "
                                           "dropped."))
                         .arg(name);
            break;
        case ConflictChoice::KeepBoth:
            if (c.mine.isEmpty())
                lines << QStringLiteral("%1: the other user's version was kept, as nothing of "
                                        "yours was left to keep.")
                             .arg(name);
            else if (c.theirs.isEmpty())
                lines << QStringLiteral("%1: your version was kept; the other user had deleted "
                                        "it.")
                             .arg(name);
            else
                lines << QStringLiteral("%1: both versions were kept; yours as %2.")
                             .arg(name, quoted(recordName(ProfileMerge::markedAsMine(c.mine))));
            break;
        }
    }
    return QStringLiteral("Saved together with another user's changes.\r\n") +
           lines.join(QStringLiteral("\r\n"));
}

} // namespace tavrino::ConflictReport
