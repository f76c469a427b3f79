#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tavrino {

// The versions of each profile this workstation read or saved lately, their
// bytes as the file held them (as protected as the profile itself), in the
// user's own cache folder. They are what a sync tool's conflict copy is
// merged against: the version both it and the profile grew from.
//
// Several are kept, not only the last one: after this workstation saved,
// its own save is no ancestor of a copy another member saved at the same
// time, and merging against it would read this workstation's additions as
// deletions made in the copy.
class VersionShelf {
public:
    static constexpr int Kept = 10;
    static constexpr int UnusedDays = 180;

    // root: where the shelves of all profiles are (one folder per profile).
    explicit VersionShelf(QString root = defaultRoot());
    static QString defaultRoot();

    // profilePath: the profile's file in its database folder. Failures are
    // ignored: without a kept version a copy is only added to, never
    // merged with deletions.
    void keep(const QString& profilePath, std::int32_t stamp, const QByteArray& bytes) const;
    // The file of the newest kept version whose stamp is lower than both
    // stamps given (an older version, so one both sides can have grown
    // from); empty when there is none.
    QString baseBelow(const QString& profilePath, std::int32_t first, std::int32_t second) const;
    // The folder holding one profile's versions.
    QString shelfOf(const QString& profilePath) const;

private:
    void sweepUnused() const;

    QString m_root;
};

} // namespace tavrino
