// Any bytes as a profile file: the reader never crashes, and a file it reads
// completely, written back by us, reads back to the very same profile.
#include "crypto/text_cipher.h"
#include "store/profile.h"
#include "store/profile_format.h"

#include <cstdlib>

using namespace tavrino;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TextCipher cipher; // no log, no messages, never ends the process
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Profile profile;
    const ProfileFormat::ReadOutcome outcome = ProfileFormat::read(file, profile, cipher);
    ProfileFormat::ReadOutcome stampOutcome;
    ProfileFormat::readStamp(file, cipher, stampOutcome);
    if (!outcome.clean() || outcome.linesRead == 0) return 0;

    // A field with "|" can't be written back as it was read: not a profile we make.
    const QByteArray again =
        ProfileFormat::write(profile, profile.ChangeStamp, QStringLiteral("1.25"), true, cipher);
    if (again.isNull()) return 0;
    Profile back;
    const ProfileFormat::ReadOutcome reread = ProfileFormat::read(again, back, cipher);
    if (!reread.clean() || back.ChangeStamp != profile.ChangeStamp ||
        back.Security.LoginMode != profile.Security.LoginMode ||
        back.Security.UserId != profile.Security.UserId ||
        back.Security.Password != profile.Security.Password ||
        back.Security.Pin != profile.Security.Pin ||
        back.Security.AnswersRequired != profile.Security.AnswersRequired ||
        back.Security.Questions.lines() != profile.Security.Questions.lines() ||
        back.Categories.lines() != profile.Categories.lines() ||
        back.Records.lines() != profile.Records.lines())
        std::abort();
    return 0;
}
