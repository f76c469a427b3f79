#include "format_conversion.h"

namespace tavrino {

FormatConversion::FormatConversion(ProfileStore& store, bool sealed)
    : m_store(store), m_sealed(sealed),
      m_possible(sealed != store.isSealed() && store.isOpened()) {
    if (!m_possible) return;
    m_fileName = store.profile().name() + (sealed ? QLatin1String(SealedFormat::FileEnding)
                                                  : QLatin1String(".dat"));
    store.setConversionTarget(m_fileName);
    if (sealed) {
        const SecuritySettings& security = store.profile().Security;
        store.keys().adopt(std::make_unique<SealedFormat::Keys>(SealedFormat::newKeys(security)),
                           security);
    }
}

FormatConversion::~FormatConversion() {
    if (m_possible && !m_finished) finish();
}

bool FormatConversion::finish() {
    m_finished = true;
    if (!m_possible) return false;
    m_store.setConversionTarget(QString());
    Profile& profile = m_store.profile();
    if (!profile.ProfileSaved) {
        if (m_sealed) m_store.forgetKeys();
        return false;
    }
    // The profile goes on under its new name; the old file went with the lock.
    profile.ProfileFileName = m_fileName;
    profile.ProfilePath = m_store.pathOf(m_fileName);
    if (!m_sealed) m_store.forgetKeys();
    return true;
}

} // namespace tavrino
