#include "key_custody.h"

namespace tavrino {

void KeyCustody::adopt(std::unique_ptr<SealedFormat::Keys> keys, const SecuritySettings& security) {
    m_keys = std::move(keys);
    m_keysFor = security;
}

void KeyCustody::forget() {
    m_keys.reset();
    m_keysFor.wipe();
}

const SealedFormat::Keys* KeyCustody::keysFor(const SecuritySettings& security) {
    if (!m_keys) return nullptr;
    if (!security.sameLogin(m_keysFor) || security.AnswersRequired != m_keysFor.AnswersRequired ||
        security.Questions.lines() != m_keysFor.Questions.lines()) {
        SealedFormat::renew(*m_keys, security);
        m_keysFor = security;
    }
    return m_keys.get();
}

} // namespace tavrino
