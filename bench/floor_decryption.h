#pragma once
// The floor of opening a profile: a line's hex decoded through a table and
// decrypted by libmcrypt's rijndael-256, initialised once. Plain C++ (no Qt),
// shared by bench_store and floor_open.
#include <mcrypt.h>

#include <cstddef>
#include <vector>

namespace tavrino::bench {

class FloorDecryption {
public:
    FloorDecryption() {
        for (int c = 0; c < 256; ++c)
            m_digit[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                         : -1);
        m_td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr,
                                  const_cast<char*>("ecb"), nullptr);
        char key[32] = {};
        mcrypt_generic_init(m_td, key, 32, nullptr);
    }
    ~FloorDecryption() {
        mcrypt_generic_deinit(m_td);
        mcrypt_module_close(m_td);
    }
    FloorDecryption(const FloorDecryption&) = delete;
    FloorDecryption& operator=(const FloorDecryption&) = delete;

    // Decodes and decrypts one line of hex text (whole blocks); its bytes.
    const std::vector<char>& line(const unsigned char* hex, std::size_t length) {
        const std::size_t n = length / 2 / 32 * 32;
        m_buffer.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            m_buffer[i] = static_cast<char>(m_digit[hex[2 * i]] << 4 | m_digit[hex[2 * i + 1]]);
        if (n) mdecrypt_generic(m_td, m_buffer.data(), static_cast<int>(n));
        return m_buffer;
    }

private:
    signed char m_digit[256];
    MCRYPT m_td;
    std::vector<char> m_buffer;
};

} // namespace tavrino::bench
