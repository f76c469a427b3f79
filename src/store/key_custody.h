#pragma once

#include "store/profile.h"
#include "store/sealed_format.h"

#include <memory>

namespace tavrino {

// The keys of an opened sealed profile, kept from the login until a lock
// (or another profile) forgets them, and the settings their slots open with.
class KeyCustody {
public:
    bool hasKeys() const { return m_keys != nullptr; }
    // Opened: these keys read and seal the profile from now on.
    void adopt(std::unique_ptr<SealedFormat::Keys> keys, const SecuritySettings& security);
    void forget();
    // The keys to seal with under these settings: wrapped anew when the
    // login or the questions changed since. Null when nothing is opened.
    const SealedFormat::Keys* keysFor(const SecuritySettings& security);
    const SealedFormat::Keys* keys() const { return m_keys.get(); }

    // The keys a new sealed profile is created with.
    void setCreatingKeys(std::unique_ptr<SealedFormat::Keys> keys) { m_creating = std::move(keys); }
    const SealedFormat::Keys* creatingKeys() const { return m_creating.get(); }

private:
    std::unique_ptr<SealedFormat::Keys> m_keys;
    SecuritySettings m_keysFor;
    std::unique_ptr<SealedFormat::Keys> m_creating;
};

} // namespace tavrino
