#include "secret_bytes.h"

#include <sodium.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace tavrino {

void initSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium could not be initialised");
}

SecretBytes::SecretBytes(const QByteArray& bytes) {
    assign(reinterpret_cast<const unsigned char*>(bytes.constData()),
           static_cast<std::size_t>(bytes.size()));
}

SecretBytes::SecretBytes(const SecretBytes& other) {
    assign(other.m_data, other.m_size);
}

SecretBytes& SecretBytes::operator=(const SecretBytes& other) {
    if (this != &other) {
        release();
        assign(other.m_data, other.m_size);
    }
    return *this;
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

SecretBytes::~SecretBytes() {
    release();
}

SecretBytes SecretBytes::random(std::size_t size) {
    initSodium();
    SecretBytes out;
    out.assign(nullptr, size);
    randombytes_buf(out.m_data, size);
    return out;
}

QByteArray SecretBytes::view() const {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(m_data),
                                   static_cast<qsizetype>(m_size));
}

bool operator==(const SecretBytes& a, const SecretBytes& b) {
    return a.m_size == b.m_size && (a.m_size == 0 || sodium_memcmp(a.m_data, b.m_data, a.m_size) == 0);
}

void SecretBytes::assign(const unsigned char* bytes, std::size_t size) {
    if (size == 0) return;
    initSodium();
    // sodium_malloc locks the pages (mlock) and keeps them out of core
    // dumps; sodium_free wipes them.
    m_data = static_cast<unsigned char*>(sodium_malloc(size));
    if (!m_data) throw std::bad_alloc();
    m_size = size;
    if (bytes) std::memcpy(m_data, bytes, size);
}

void SecretBytes::release() {
    if (m_data) sodium_free(m_data);
    m_data = nullptr;
    m_size = 0;
}

} // namespace tavrino
