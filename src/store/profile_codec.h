#pragma once

#include "store/profile.h"
#include "store/profile_format.h"

#include <QByteArray>
#include <QString>

namespace tavrino {

class Clock;
class KeyCustody;
class TextCipher;

// One profile file format: how a file's bytes become a profile and back.
// The save protocol moves the bytes; the store picks the format by the
// file's name.
class ProfileCodec {
public:
    struct Decoded {
        ProfileFormat::ReadOutcome outcome;
        bool damaged = false;    // refused before anything was read into the profile
        bool headerOnly = false; // only what the login needs (a sealed profile not yet opened)
        bool recordsDeferred = false; // read and checked but for the records (decodeForLogin)
    };

    virtual ~ProfileCodec() = default;
    // The change stamp stored in file, or -1 (outcome says why).
    virtual std::int32_t stampOf(const QByteArray& file, ProfileFormat::ReadOutcome& outcome) = 0;
    // True when file is a whole, finished file of this format.
    virtual bool isWhole(const QByteArray& file) = 0;
    virtual Decoded decode(const QByteArray& file, Profile& profile) = 0;
    // The file for profile under the given stamp; null, with why in error,
    // when it can't be made. A new profile has no records yet.
    virtual QByteArray encode(const Profile& profile, std::int32_t stamp, bool newProfile,
                              QString& error) = 0;
};

// The format the Windows version reads: one encrypted hex line per item.
class CompatibleCodec : public ProfileCodec {
public:
    CompatibleCodec(TextCipher& cipher, const Clock& clock) : m_cipher(cipher), m_clock(clock) {}
    std::int32_t stampOf(const QByteArray& file, ProfileFormat::ReadOutcome& outcome) override;
    bool isWhole(const QByteArray& file) override;
    Decoded decode(const QByteArray& file, Profile& profile) override;
    // All but the records, which need not be decrypted before the login.
    Decoded decodeForLogin(const QByteArray& file, Profile& profile);
    QByteArray encode(const Profile& profile, std::int32_t stamp, bool newProfile,
                      QString& error) override;

private:
    TextCipher& m_cipher;
    const Clock& m_clock;
};

// The sealed format: the compatible text under a content key that only the
// login (or the answers) unwraps; readable as far as its header until then.
class SealedCodec : public ProfileCodec {
public:
    SealedCodec(CompatibleCodec& inner, KeyCustody& keys) : m_inner(inner), m_keys(keys) {}
    std::int32_t stampOf(const QByteArray& file, ProfileFormat::ReadOutcome& outcome) override;
    bool isWhole(const QByteArray& file) override;
    Decoded decode(const QByteArray& file, Profile& profile) override;
    QByteArray encode(const Profile& profile, std::int32_t stamp, bool newProfile,
                      QString& error) override;
    // The opened text of file read into profile (after a login).
    Decoded decodeOpened(const QByteArray& plain, Profile& profile) {
        return m_inner.decode(plain, profile);
    }

private:
    CompatibleCodec& m_inner;
    KeyCustody& m_keys;
};

} // namespace tavrino
