#pragma once

#include "store/profile.h"
#include "store/profile_format.h"
#include "store/save_protocol.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <thread>

namespace tavrino {

// A profile file read, and a compatible one decoded for its login, on a
// thread of its own while the program builds its window. What it found is
// only worth taking while the file still looks exactly as it did through the
// whole read; the taker checks that at the moment it would read (after any
// repair of a cut-off save), and reads again itself otherwise.
class ProfileReadAhead {
public:
    ProfileReadAhead() = default;
    ~ProfileReadAhead();
    ProfileReadAhead(const ProfileReadAhead&) = delete;
    ProfileReadAhead& operator=(const ProfileReadAhead&) = delete;

    void start(const QString& path);

    struct Found {
        // The bytes, and how the file looked through the whole read.
        SaveProtocol::EarlyRead read;
        // A compatible file decoded for its login into a new Profile: set
        // only when the decoding met nothing at all to report.
        std::optional<Profile> decoded;
        ProfileFormat::ReadOutcome outcome;
    };
    // Waits for the read of path and hands over what it found, once; nothing
    // when no read of path was started or it did not read the file whole.
    std::optional<Found> take(const QString& path);

private:
    void run();
    void readAndDecode();
    void finish();

    std::thread m_thread;
    QString m_path;
    std::optional<Found> m_found;
};

} // namespace tavrino
