#pragma once

#include "store/profile.h"

#include <QHash>
#include <QStringList>

namespace tavrino {

// Changes that could not be saved because another workstation changed the
// profile's login meanwhile: each is kept for its own profile, in memory
// only, until it is saved after a login to that profile or the user
// discards it. Logging into another profile meanwhile keeps it.
class KeptChanges {
public:
    struct Change {
        ProfileContent base; // the version the change was made on
        ProfileContent mine;
    };

    void keep(const QString& fileName, const Change& change) { m_changes.insert(fileName, change); }
    bool has(const QString& fileName) const { return m_changes.contains(fileName); }
    bool isEmpty() const { return m_changes.isEmpty(); }
    // Null when there is none.
    const Change* find(const QString& fileName) const;
    // Forgotten, its secrets overwritten.
    void discard(const QString& fileName);
    void discardAll();
    // The profiles (file names) with a kept change, in name order.
    QStringList profiles() const;

private:
    QHash<QString, Change> m_changes;
};

} // namespace tavrino
