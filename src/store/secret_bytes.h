#pragma once

#include <QByteArray>

#include <cstddef>

namespace tavrino {

// Starts libsodium once for the process; throws std::runtime_error when it
// can not start.
void initSodium();

// A key kept in memory of its own: locked out of swap where the system
// allows it, fenced by guard pages, excluded from core dumps, and wiped when
// it goes. Copies are deep.
class SecretBytes {
public:
    SecretBytes() = default;
    // Takes a copy of bytes; the caller wipes its own.
    explicit SecretBytes(const QByteArray& bytes);
    SecretBytes(const SecretBytes& other);
    SecretBytes& operator=(const SecretBytes& other);
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    ~SecretBytes();

    // size random bytes.
    static SecretBytes random(std::size_t size);

    bool isEmpty() const { return m_size == 0; }
    std::size_t size() const { return m_size; }
    const unsigned char* data() const { return m_data; }
    // The bytes as a QByteArray that points here (no copy): for reading
    // while this object lives.
    QByteArray view() const;

    friend bool operator==(const SecretBytes& a, const SecretBytes& b);
    friend bool operator!=(const SecretBytes& a, const SecretBytes& b) { return !(a == b); }

private:
    void assign(const unsigned char* bytes, std::size_t size);
    void release();

    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace tavrino
