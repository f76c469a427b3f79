#pragma once

#include "store/profile_store.h"

namespace tavrino {

// Seals an opened profile (NAME.dat becomes NAME.sealed) or unseals it,
// under the same lock and stamp check as a save: the new file is written
// under the lock of the old one, which goes only once the new one is complete.
class FormatConversion {
public:
    FormatConversion(ProfileStore& store, bool sealed);
    ~FormatConversion();
    FormatConversion(const FormatConversion&) = delete;
    FormatConversion& operator=(const FormatConversion&) = delete;

    // False when the profile is in that format already, or not opened.
    bool isPossible() const { return m_possible; }
    // Why it is not possible, when the user should be told (else empty).
    const QString& refusal() const { return m_refusal; }
    StoreStep attempt(bool lastAttempt) { return m_store.save(lastAttempt); }
    // After the last attempt: true when the profile goes on in the new format.
    bool finish();

private:
    ProfileStore& m_store;
    bool m_sealed;
    bool m_possible;
    bool m_finished = false;
    QString m_fileName;
    QString m_refusal;
};

} // namespace tavrino
