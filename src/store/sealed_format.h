#pragma once

#include "store/profile.h"
#include "store/secret_bytes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavrino {

// The sealed profile file (NAME.sealed): the compatible profile text,
// encrypted as a whole with XChaCha20-Poly1305 under a random content key.
// The key is wrapped in one slot per login route, each under a key derived
// from that route's secret with Argon2id: the profile's login, and every set
// of secret answers its "answers required" rule accepts. A plain header
// carries what is needed before the login (change stamp, login mode, the
// questions' texts and the answers required); the encryption authenticates
// it, and a BLAKE2b sum over the whole file tells damage from a wrong login.
namespace SealedFormat {

inline constexpr char FileEnding[] = ".sealed";
// Argon2id: about 0.1 to 0.2 s per derivation on a 2-core machine.
inline constexpr unsigned long long KdfOpsLimit = 3;
inline constexpr std::size_t KdfMemLimit = 64u * 1024 * 1024;

// What a sealed file shows before the login.
struct Header {
    std::int32_t changeStamp = 0;
    std::int32_t loginMode = 0;
    std::int32_t answersRequired = 0;
    QStringList questions; // texts only; the answers are secret
};

// A wrapped content key: which route opens it, and how.
struct Slot {
    QList<int> answers; // empty: the login; else the 1-based questions answered
    QByteArray salt;
    QByteArray nonce;
    QByteArray wrapped;
};

// The content key of an opened profile and the keySlots it is wrapped in.
struct Keys {
    SecretBytes contentKey; // in locked memory, wiped when it goes
    QList<Slot> keySlots;
};

// OutOfMemory: the key derivation could not get its memory (nothing is
// known about the login then).
enum class Refusal { None, Damaged, WrongLogin, OutOfMemory };

bool isSealedName(const QString& fileName);

// The header, or nothing when the file is damaged (refused before anything
// is decrypted).
std::optional<Header> readHeader(const QByteArray& file);

// The secret of the login route from the values as the login check compares
// them: stored ones as they are, typed ones with the blanks around them
// removed (trimBlanks), letter case kept; only the parts the mode asks for.
QByteArray loginSecret(std::int32_t loginMode, const QString& userId, const QString& password,
                       const QString& pin);
// The secret of a set of answers (1-based question numbers, ascending).
QByteArray answersSecret(const QList<int>& questions, const QStringList& answers);

// A new content key wrapped for every route the settings allow.
Keys newKeys(const SecuritySettings& security);
// A new content key in place of the old one (wiped), wrapped for the
// changed settings: whoever had the old login or answers, and an old file,
// can not read anything saved after the change.
void renew(Keys& keys, const SecuritySettings& security);

// The file: header from the profile's settings, the keySlots, the content.
QByteArray seal(const QByteArray& plainProfile, std::int32_t changeStamp,
                const SecuritySettings& security, const Keys& keys);

// Opens with the login's secret, or with typed answers (three, empty where
// not given; blanks around them do not count). Fills plain and keys on success.
Refusal openWithLogin(const QByteArray& file, const QByteArray& secret, QByteArray& plain,
                      Keys& keys);
Refusal openWithAnswers(const QByteArray& file, const QStringList& typedAnswers,
                        QByteArray& plain, Keys& keys);

// Opens with the content key of an opened profile (another save of it).
Refusal openWithKey(const QByteArray& file, const Keys& keys, QByteArray& plain);

// Overwrites what held a secret before it is let go.
void wipe(QByteArray& bytes);

} // namespace SealedFormat
} // namespace tavrino
