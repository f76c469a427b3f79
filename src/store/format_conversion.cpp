#include "format_conversion.h"

#include <exception>

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
        try {
            store.keys().adopt(
                std::make_unique<SealedFormat::Keys>(SealedFormat::newKeys(security)), security);
        } catch (const std::exception&) {
            // No memory for the key derivation: nothing is converted.
            m_possible = false;
            m_refusal = QStringLiteral("Not enough memory to seal the profile");
            store.setConversionTarget(QString());
        }
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
