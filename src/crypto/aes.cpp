#include "aes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tavrino {
namespace {

std::uint32_t rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// GF(2^8) tables with generator 3, S-boxes and the combined round tables.
struct Tables {
    std::uint8_t ltab[256];
    std::uint8_t ptab[256];
    std::uint8_t fbsub[256];
    std::uint8_t rbsub[256];
    std::uint32_t ftable[4][256];
    std::uint32_t rtable[4][256];
    std::uint32_t rco[30];

    std::uint8_t mul(std::uint8_t a, std::uint8_t b) const {
        if (a == 0 || b == 0) return 0;
        return ptab[(ltab[a] + ltab[b]) % 255];
    }

    Tables() {
        ltab[0] = 0;
        ptab[0] = 1;
        ltab[1] = 0;
        ptab[1] = 3;
        ltab[3] = 1;
        for (int i = 2; i < 256; ++i) {
            const std::uint8_t prev = ptab[i - 1];
            // multiply by 3 = x + 1
            ptab[i] = static_cast<std::uint8_t>(prev ^ xtime(prev));
            ltab[ptab[i]] = static_cast<std::uint8_t>(i);
        }
        fbsub[0] = 0x63;
        rbsub[0x63] = 0;
        for (int i = 1; i < 256; ++i) {
            const std::uint8_t inv = ptab[255 - ltab[i]];
            std::uint8_t y = inv;
            std::uint8_t x = inv;
            for (int k = 0; k < 4; ++k) {
                y = static_cast<std::uint8_t>((y << 1) | (y >> 7));
                x ^= y;
            }
            x ^= 0x63;
            fbsub[i] = x;
            rbsub[x] = static_cast<std::uint8_t>(i);
        }
        std::uint8_t r = 1;
        for (auto& c : rco) {
            c = r;
            r = xtime(r);
        }
        for (int i = 0; i < 256; ++i) {
            const std::uint8_t s = fbsub[i];
            const std::uint32_t f = std::uint32_t(xtime(s)) | std::uint32_t(s) << 8 |
                                    std::uint32_t(s) << 16 |
                                    std::uint32_t(static_cast<std::uint8_t>(s ^ xtime(s))) << 24;
            const std::uint8_t t = rbsub[i];
            const std::uint32_t g = std::uint32_t(mul(0x0E, t)) | std::uint32_t(mul(0x09, t)) << 8 |
                                    std::uint32_t(mul(0x0D, t)) << 16 |
                                    std::uint32_t(mul(0x0B, t)) << 24;
            for (int k = 0; k < 4; ++k) {
                ftable[k][i] = k == 0 ? f : rotl(f, 8 * k);
                rtable[k][i] = k == 0 ? g : rotl(g, 8 * k);
            }
        }
    }

    static std::uint8_t xtime(std::uint8_t a) {
        return static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
    }

    std::uint32_t subWord(std::uint32_t w) const {
        return std::uint32_t(fbsub[w & 0xFF]) | std::uint32_t(fbsub[(w >> 8) & 0xFF]) << 8 |
               std::uint32_t(fbsub[(w >> 16) & 0xFF]) << 16 | std::uint32_t(fbsub[w >> 24]) << 24;
    }

    // Inverse MixColumn of one column word.
    std::uint32_t invMixCol(std::uint32_t w) const {
        std::uint8_t b[4];
        for (int k = 0; k < 4; ++k)
            b[k] = static_cast<std::uint8_t>(w >> (8 * k));
        std::uint32_t out = 0;
        for (int row = 0; row < 4; ++row) {
            const std::uint8_t v = mul(0x0E, b[row]) ^ mul(0x0B, b[(row + 1) % 4]) ^
                                   mul(0x0D, b[(row + 2) % 4]) ^ mul(0x09, b[(row + 3) % 4]);
            out |= std::uint32_t(v) << (8 * row);
        }
        return out;
    }
};

const Tables& gentables() {
    static const Tables tables;
    return tables;
}

std::uint32_t pack(const std::uint8_t* b) {
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

void unpack(std::uint32_t a, std::uint8_t* b) {
    b[0] = static_cast<std::uint8_t>(a);
    b[1] = static_cast<std::uint8_t>(a >> 8);
    b[2] = static_cast<std::uint8_t>(a >> 16);
    b[3] = static_cast<std::uint8_t>(a >> 24);
}

} // namespace

AES::AES() {
    gentables();
}

void AES::gkey(int nb, int nk, const std::uint8_t* key) {
    auto valid = [](int n) { return n == 4 || n == 6 || n == 8; };
    if (!valid(nb) || !valid(nk))
        throw std::invalid_argument("Rijndael block and key length must be 4, 6 or 8 words");
    const Tables& t = gentables();
    Nb = nb;
    Nk = nk;
    Nr = std::max(Nb, Nk) + 6;

    const int total = Nb * (Nr + 1);
    for (int i = 0; i < Nk; ++i)
        fkey[i] = pack(key + 4 * i);
    for (int i = Nk; i < total; ++i) {
        std::uint32_t temp = fkey[i - 1];
        if (i % Nk == 0)
            temp = t.subWord(rotl(temp, 24)) ^ t.rco[i / Nk - 1];
        else if (Nk > 6 && i % Nk == 4)
            temp = t.subWord(temp);
        fkey[i] = fkey[i - Nk] ^ temp;
    }

    // Decryption keys for the equivalent inverse cipher: round order reversed,
    // inner rounds passed through InvMixColumn.
    for (int j = 0; j < Nb; ++j)
        rkey[j] = fkey[Nr * Nb + j];
    for (int r = 1; r < Nr; ++r)
        for (int j = 0; j < Nb; ++j)
            rkey[r * Nb + j] = t.invMixCol(fkey[(Nr - r) * Nb + j]);
    for (int j = 0; j < Nb; ++j)
        rkey[Nr * Nb + j] = fkey[j];
    if (Nb == 8) {
        for (int i = 0; i < Nb * (Nr + 1); ++i) {
            unpack(fkey[i], m_encryptKeys.data() + 4 * i);
            unpack(rkey[i], m_decryptKeys.data() + 4 * i);
        }
    }
}

bool AES::setEngine(CipherEngine engine) {
    if (!cipherEngineAvailable(engine)) return false;
    m_engine = engine;
    return true;
}

namespace {

// One block through all rounds. NB is a template argument so the column
// offsets of ShiftRow are constants and the round loop unrolls.
template <int NB, bool Forward>
void cryptBlock(std::uint8_t* buff, const std::uint32_t* k, int rounds) {
    const Tables& t = gentables();
    constexpr int c2 = NB < 8 ? 2 : 3;
    constexpr int c3 = NB < 8 ? 3 : 4;
    const auto& table = Forward ? t.ftable : t.rtable;
    const std::uint8_t* sbox = Forward ? t.fbsub : t.rbsub;
    static constexpr auto shifts = [] {
        std::array<std::array<int, 3>, NB> a{};
        for (int j = 0; j < NB; ++j) {
            const int c[3] = {1, c2, c3};
            for (int r = 0; r < 3; ++r)
                a[j][r] = Forward ? (j + c[r]) % NB : (NB + j - c[r]) % NB;
        }
        return a;
    }();
    std::uint32_t x[NB];
    std::uint32_t y[NB];
    for (int j = 0; j < NB; ++j)
        x[j] = pack(buff + 4 * j) ^ *k++;
    for (int r = 1; r < rounds; ++r) {
#pragma GCC unroll 8
        for (int j = 0; j < NB; ++j)
            y[j] = k[j] ^ table[0][x[j] & 0xFF] ^ table[1][(x[shifts[j][0]] >> 8) & 0xFF] ^
                   table[2][(x[shifts[j][1]] >> 16) & 0xFF] ^ table[3][x[shifts[j][2]] >> 24];
        k += NB;
        for (int j = 0; j < NB; ++j)
            x[j] = y[j];
    }
    for (int j = 0; j < NB; ++j)
        y[j] = k[j] ^ (std::uint32_t(sbox[x[j] & 0xFF]) |
                       std::uint32_t(sbox[(x[shifts[j][0]] >> 8) & 0xFF]) << 8 |
                       std::uint32_t(sbox[(x[shifts[j][1]] >> 16) & 0xFF]) << 16 |
                       std::uint32_t(sbox[x[shifts[j][2]] >> 24]) << 24);
    for (int j = 0; j < NB; ++j)
        unpack(y[j], buff + 4 * j);
}

template <bool Forward>
void cryptAny(int nb, std::uint8_t* buff, const std::uint32_t* k, int rounds) {
    switch (nb) {
    case 4:
        cryptBlock<4, Forward>(buff, k, rounds);
        break;
    case 6:
        cryptBlock<6, Forward>(buff, k, rounds);
        break;
    default:
        cryptBlock<8, Forward>(buff, k, rounds);
        break;
    }
}

} // namespace

void AES::Encrypt(std::uint8_t* buff) const {
    if (hardware())
        rijndael_hw::encrypt(m_engine, m_encryptKeys.data(), buff, buff, 1);
    else
        cryptAny<true>(Nb, buff, fkey.data(), Nr);
}

void AES::Decrypt(std::uint8_t* buff) const {
    if (hardware())
        rijndael_hw::decrypt(m_engine, m_decryptKeys.data(), buff, buff, 1);
    else
        cryptAny<false>(Nb, buff, rkey.data(), Nr);
}

void AES::prepareDataKey(const QByteArray& bytPassword) {
    std::array<std::uint8_t, 32> key{};
    std::memcpy(key.data(), bytPassword.constData(),
                std::min<std::size_t>(key.size(), static_cast<std::size_t>(bytPassword.size())));
    if (m_haveDataKey && key == m_dataKey && Nb == 8 && Nk == 8) return;
    gkey(8, 8, key.data());
    m_dataKey = key;
    m_haveDataKey = true;
}

QByteArray AES::EncryptData(const QByteArray& bytMessage, const QByteArray& bytPassword) {
    if (bytMessage.isNull() || bytPassword.isNull()) return {};
    const qsizetype length = bytMessage.size();
    const qsizetype size = (length + 4 + DataBlockBytes - 1) / DataBlockBytes * DataBlockBytes;
    QByteArray out(size, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(out.data());
    unpack(static_cast<std::uint32_t>(length), p);
    std::memcpy(p + 4, bytMessage.constData(), static_cast<std::size_t>(length));
    encryptInPlace(p, size, bytPassword);
    return out;
}

void AES::encryptInPlace(std::uint8_t* data, qsizetype size, const QByteArray& bytPassword) {
    prepareDataKey(bytPassword);
    if (hardware()) {
        rijndael_hw::encrypt(m_engine, m_encryptKeys.data(), data, data,
                             static_cast<std::size_t>(size / DataBlockBytes));
        return;
    }
    for (qsizetype i = 0; i + DataBlockBytes <= size; i += DataBlockBytes)
        Encrypt(data + i);
}

qsizetype AES::decryptInPlace(std::uint8_t* data, qsizetype size, const QByteArray& bytPassword) {
    if (bytPassword.isNull() || size == 0 || size % DataBlockBytes != 0) return -1;
    prepareDataKey(bytPassword);
    const auto blocks = static_cast<std::size_t>(size / DataBlockBytes);
    if (hardware()) {
        // All blocks in one call, so they are in flight together: learning
        // the length from the first alone would leave the rest waiting.
        rijndael_hw::decrypt(m_engine, m_decryptKeys.data(), data, data, blocks);
    } else {
        // Only the first block is needed to learn the length; the rest is
        // wasted work when the header does not fit.
        Decrypt(data);
    }
    const auto length = static_cast<std::int32_t>(pack(data));
    if (length <= 0 || length > size - 4) return -1;
    if (!hardware())
        for (qsizetype i = DataBlockBytes; i < length + 4; i += DataBlockBytes)
            Decrypt(data + i);
    return length;
}

std::int32_t AES::decryptFirstBlock(std::uint8_t* block, const QByteArray& bytPassword) {
    prepareDataKey(bytPassword);
    Decrypt(block);
    return static_cast<std::int32_t>(pack(block));
}

QByteArray AES::DecryptData(const QByteArray& bytIn, const QByteArray& bytPassword) {
    if (bytIn.isNull()) return {};
    QByteArray work(bytIn.constData(), bytIn.size());
    auto* p = reinterpret_cast<std::uint8_t*>(work.data());
    const qsizetype length = decryptInPlace(p, work.size(), bytPassword);
    QByteArray out;
    if (length > 0) out = work.mid(4, length);
    explicit_bzero(p, static_cast<std::size_t>(work.size()));
    return out;
}

} // namespace tavrino
