#include "profile_read_ahead.h"

#include "crypto/text_cipher.h"
#include "shell/background_work.h"
#include "store/sealed_format.h"

namespace tavrino {

ProfileReadAhead::~ProfileReadAhead() {
    finish();
}

void ProfileReadAhead::start(const QString& path) {
    finish();
    m_found.reset();
    m_path = path;
    m_thread = std::thread([this] { run(); });
}

void ProfileReadAhead::finish() {
    if (m_thread.joinable()) m_thread.join();
}

void ProfileReadAhead::run() {
    runThisThreadInTheBackground();
    // Whatever goes wrong here only means the file is read again at the open.
    try {
        readAndDecode();
    } catch (...) {
        m_found.reset();
    }
}

void ProfileReadAhead::readAndDecode() {
    Found found;
    QByteArray& content = found.read.content;
    // The look as the read began: the open takes these bytes only while the
    // file still looks so, which also tells that it did not change under
    // this read (one look less on a network folder).
    if (FileOps::readAll(m_path, content, ProfileFormat::MaxFileBytes, &found.read.look) != 0 ||
        found.read.look.ino == 0)
        return;
    if (!content.isEmpty() && !SealedFormat::isSealedName(m_path)) {
        // A cipher of its own, which never shows or logs anything: a file
        // with anything to report is decoded again by the taker, who does.
        TextCipher cipher;
        Profile profile;
        found.outcome = ProfileFormat::readForLogin(content, profile, cipher);
        if (found.outcome.clean()) found.decoded = std::move(profile);
    }
    m_found = std::move(found);
}

std::optional<ProfileReadAhead::Found> ProfileReadAhead::take(const QString& path) {
    finish();
    if (path != m_path) m_found.reset();
    m_path.clear();
    return std::exchange(m_found, std::nullopt);
}

} // namespace tavrino
