#include "profile_codec.h"

#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "store/key_custody.h"
#include "store/sealed_format.h"

#include <exception>

namespace tavrino {

std::int32_t CompatibleCodec::stampOf(const QByteArray& file, ProfileFormat::ReadOutcome& outcome) {
    return ProfileFormat::readStamp(file, m_cipher, outcome);
}

bool CompatibleCodec::isWhole(const QByteArray& file) {
    // Every line reads and checks: the one thing that tells a finished save
    // from one cut off (an empty file is not one).
    Profile scratch;
    const ProfileFormat::ReadOutcome outcome = ProfileFormat::read(file, scratch, m_cipher);
    return outcome.clean() && outcome.linesRead > 0;
}

ProfileCodec::Decoded CompatibleCodec::decode(const QByteArray& file, Profile& profile) {
    Decoded d;
    // No save writes an empty file: it is damaged, not a profile without a login.
    if (file.isEmpty()) {
        d.damaged = true;
        return d;
    }
    d.outcome = ProfileFormat::read(file, profile, m_cipher);
    return d;
}

ProfileCodec::Decoded CompatibleCodec::decodeForLogin(const QByteArray& file, Profile& profile) {
    Decoded d;
    if (file.isEmpty()) {
        d.damaged = true;
        return d;
    }
    profile.Records.clear();
    d.outcome = ProfileFormat::readForLogin(file, profile, m_cipher);
    d.recordsDeferred = true;
    return d;
}

QByteArray CompatibleCodec::encode(const Profile& profile, std::int32_t stamp, bool newProfile,
                                   QString& error) {
    // A line the reader would refuse is never written: the profile would not
    // open again anywhere.
    for (const QString& line : profile.Records.lines()) {
        if (ProfileFormat::fitsInALine(line)) continue;
        const PasswordRecord r = PasswordRecord::fromLine(line);
        error = QStringLiteral("The record \"%1\" is longer than a line of a profile can hold; "
                               "shorten its notes")
                    .arg(r[PasswordRecord::Description].left(40));
        return {};
    }
    QByteArray content = ProfileFormat::write(
        profile, stamp, ProfileFormat::fileKeySeed(m_clock.now().time()), !newProfile, m_cipher);
    if (content.isNull()) error = QStringLiteral("A line of the profile could not be encrypted");
    return content;
}

std::int32_t SealedCodec::stampOf(const QByteArray& file, ProfileFormat::ReadOutcome& outcome) {
    if (const auto header = SealedFormat::readHeader(file)) return header->changeStamp;
    outcome.kind = ProfileFormat::ReadOutcome::ReadError;
    outcome.errorNumber = EILSEQ;
    outcome.errorDescription = QStringLiteral("The sealed profile is damaged");
    return -1;
}

bool SealedCodec::isWhole(const QByteArray& file) {
    // A sealed file's sum covers every byte: whole when it checks.
    return SealedFormat::readHeader(file).has_value();
}

ProfileCodec::Decoded SealedCodec::decode(const QByteArray& file, Profile& profile) {
    if (m_keys.hasKeys()) {
        // Opened before: the content key reads what another save wrote too,
        // unless that one sealed the profile anew.
        QByteArray plain;
        if (SealedFormat::openWithKey(file, *m_keys.keys(), plain) == SealedFormat::Refusal::None) {
            Decoded d = m_inner.decode(plain, profile);
            SealedFormat::wipe(plain);
            return d;
        }
        m_keys.forget();
    }
    Decoded d;
    const std::optional<SealedFormat::Header> header = SealedFormat::readHeader(file);
    if (!header) {
        d.damaged = true;
        return d;
    }
    // Until a login opens it, the profile is what its header shows.
    SecuritySettings security;
    security.LoginMode = header->loginMode;
    security.AnswersRequired = header->answersRequired;
    for (const QString& question : header->questions)
        security.Questions.add(SecuritySettings::questionLine(question, QString()));
    profile.Security = security;
    profile.Categories.clear();
    profile.Records.clear();
    profile.ChangeStamp = header->changeStamp;
    d.headerOnly = true;
    return d;
}

QByteArray SealedCodec::encode(const Profile& profile, std::int32_t stamp, bool newProfile,
                               QString& error) {
    QByteArray plain = m_inner.encode(profile, stamp, newProfile, error);
    if (plain.isNull()) return plain;
    const SealedFormat::Keys* keys = nullptr;
    QByteArray sealed;
    try {
        keys = newProfile ? m_keys.creatingKeys() : m_keys.keysFor(profile.Security);
        if (keys) sealed = SealedFormat::seal(plain, stamp, profile.Security, *keys);
    } catch (const std::exception&) {
        // The key derivation could not get its memory: nothing is written.
        error = QStringLiteral("Not enough memory to seal the profile");
        SealedFormat::wipe(plain);
        return {};
    }
    // Only an opened profile is saved: its header alone would lose the records.
    if (!keys) {
        error = newProfile ? QStringLiteral("A sealed profile needs its keys")
                           : QStringLiteral("%1 is not opened").arg(profile.ProfileFileName);
        SealedFormat::wipe(plain);
        return {};
    }
    SealedFormat::wipe(plain);
    return sealed;
}

} // namespace tavrino
