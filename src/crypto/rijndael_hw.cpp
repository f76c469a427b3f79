#include "rijndael_hw.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define TAVRINO_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace tavrino {
namespace {

// Where each byte of a 128-bit half must come from before AESENC/AESDEC so
// that their ShiftRows (rows moved by 0, 1, 2, 3 of four columns) lands every
// byte where Rijndael-256's (0, 1, 3, 4 of eight columns) would. The source
// of half 1 is always the same position in the other half as that of half 0,
// so one blend (take the other half's byte) and one shuffle serve both.
struct RoundMasks {
    alignas(16) std::uint8_t shuffle[16];
    alignas(16) std::uint8_t blend[16]; // 0x80: from the other half
};

constexpr RoundMasks makeMasks(bool forward) {
    constexpr int rowShift[4] = {0, 1, 3, 4};
    RoundMasks masks{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            // the column (of eight) this byte must hold before the 128-bit
            // ShiftRows moves it to its place in half 0
            const int source = forward ? (((column - row) & 3) + rowShift[row]) & 7
                                       : (((column + row) & 3) - rowShift[row] + 8) & 7;
            const int position = 4 * (source & 3) + row;
            masks.shuffle[4 * column + row] = static_cast<std::uint8_t>(position);
            masks.blend[position] = source >= 4 ? 0x80 : 0;
        }
    }
    return masks;
}

constexpr RoundMasks EncryptMasks = makeMasks(true);
constexpr RoundMasks DecryptMasks = makeMasks(false);

#ifdef TAVRINO_X86

// N blocks in flight: the AES instructions take several cycles each but can
// start every cycle, so independent blocks fill the gaps.
template <int N, bool Forward>
__attribute__((target("aes,sse4.1"))) void niGroup(const std::uint8_t* keys,
                                                   const std::uint8_t* in, std::uint8_t* out) {
    const RoundMasks& masks = Forward ? EncryptMasks : DecryptMasks;
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(masks.shuffle));
    const __m128i blend = _mm_load_si128(reinterpret_cast<const __m128i*>(masks.blend));
    const auto* k = reinterpret_cast<const __m128i*>(keys);
    __m128i lo[N];
    __m128i hi[N];
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) {
        lo[i] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32 * i)),
                              _mm_loadu_si128(k));
        hi[i] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32 * i + 16)),
                              _mm_loadu_si128(k + 1));
    }
    for (int round = 1; round <= rijndael_hw::Rounds; ++round) {
        const __m128i k0 = _mm_loadu_si128(k + 2 * round);
        const __m128i k1 = _mm_loadu_si128(k + 2 * round + 1);
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) {
            const __m128i a = _mm_shuffle_epi8(_mm_blendv_epi8(lo[i], hi[i], blend), shuffle);
            const __m128i b = _mm_shuffle_epi8(_mm_blendv_epi8(hi[i], lo[i], blend), shuffle);
            if (round < rijndael_hw::Rounds) {
                lo[i] = Forward ? _mm_aesenc_si128(a, k0) : _mm_aesdec_si128(a, k0);
                hi[i] = Forward ? _mm_aesenc_si128(b, k1) : _mm_aesdec_si128(b, k1);
            } else {
                lo[i] = Forward ? _mm_aesenclast_si128(a, k0) : _mm_aesdeclast_si128(a, k0);
                hi[i] = Forward ? _mm_aesenclast_si128(b, k1) : _mm_aesdeclast_si128(b, k1);
            }
        }
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i), lo[i]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * i + 16), hi[i]);
    }
}

// The whole block in one register: swapping its two halves and blending
// gives each half the other's bytes it needs, then an in-half shuffle.
template <int N, bool Forward>
__attribute__((target("vaes,avx2,aes"))) void vaesGroup(const std::uint8_t* keys,
                                                        const std::uint8_t* in,
                                                        std::uint8_t* out) {
    const RoundMasks& masks = Forward ? EncryptMasks : DecryptMasks;
    const __m256i shuffle = _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(masks.shuffle)));
    const __m256i blend = _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(masks.blend)));
    const auto* k = reinterpret_cast<const __m256i*>(keys);
    __m256i x[N];
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i)
        x[i] = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32 * i)),
                                _mm256_loadu_si256(k));
    for (int round = 1; round <= rijndael_hw::Rounds; ++round) {
        const __m256i key = _mm256_loadu_si256(k + round);
#pragma GCC unroll 8
        for (int i = 0; i < N; ++i) {
            const __m256i swapped = _mm256_permute4x64_epi64(x[i], 0x4E);
            const __m256i t = _mm256_shuffle_epi8(_mm256_blendv_epi8(x[i], swapped, blend), shuffle);
            if (round < rijndael_hw::Rounds)
                x[i] = Forward ? _mm256_aesenc_epi128(t, key) : _mm256_aesdec_epi128(t, key);
            else
                x[i] = Forward ? _mm256_aesenclast_epi128(t, key) : _mm256_aesdeclast_epi128(t, key);
        }
    }
#pragma GCC unroll 8
    for (int i = 0; i < N; ++i)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * i), x[i]);
}

// Whole groups of Group blocks, then the rest as one smaller group, so a
// short line's blocks are still all in flight together.
template <bool Forward, int Group, template <int, bool> class Engine>
void runGroups(const std::uint8_t* keys, const std::uint8_t* in, std::uint8_t* out,
               std::size_t blocks) {
    std::size_t done = 0;
    for (; done + Group <= blocks; done += Group)
        Engine<Group, Forward>::run(keys, in + 32 * done, out + 32 * done);
    const std::size_t rest = blocks - done;
    in += 32 * done;
    out += 32 * done;
    if constexpr (Group > 1) {
        if (rest >= Group / 2) {
            Engine<Group / 2, Forward>::run(keys, in, out);
            runGroups<Forward, Group / 2, Engine>(keys, in + 16 * Group, out + 16 * Group,
                                                  rest - Group / 2);
        } else if (rest > 0) {
            runGroups<Forward, Group / 2, Engine>(keys, in, out, rest);
        }
    }
}

template <int N, bool Forward>
struct Ni {
    static void run(const std::uint8_t* k, const std::uint8_t* in, std::uint8_t* out) {
        niGroup<N, Forward>(k, in, out);
    }
};

template <int N, bool Forward>
struct Vaes {
    static void run(const std::uint8_t* k, const std::uint8_t* in, std::uint8_t* out) {
        vaesGroup<N, Forward>(k, in, out);
    }
};

template <bool Forward>
void run(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
         std::uint8_t* out, std::size_t blocks) {
    if (engine == CipherEngine::Vaes)
        runGroups<Forward, 8, Vaes>(keys, in, out, blocks);
    else
        runGroups<Forward, 4, Ni>(keys, in, out, blocks);
}

#endif

CipherEngine bestAvailable() {
#ifdef TAVRINO_X86
    // Asked of the CPU itself (not every compiler's builtin knows VAES).
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return CipherEngine::Portable;
    const bool aesNi = (c & bit_AES) && (c & bit_SSE4_1);
    if (!aesNi) return CipherEngine::Portable;
    // 256-bit registers only where the system saves them (XCR0: SSE, AVX).
    bool osAvx = false;
    if (c & bit_OSXSAVE) {
        unsigned low = 0, high = 0;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        osAvx = (low & 6) == 6;
    }
    if (osAvx && __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_AVX2) && (c & bit_VAES))
        return CipherEngine::Vaes;
    return CipherEngine::AesNi;
#else
    return CipherEngine::Portable;
#endif
}

} // namespace

bool cipherEngineAvailable(CipherEngine engine) {
    static const CipherEngine best = bestAvailable();
    return static_cast<int>(engine) <= static_cast<int>(best);
}

const char* cipherEngineName(CipherEngine engine) {
    switch (engine) {
    case CipherEngine::AesNi:
        return "aesni";
    case CipherEngine::Vaes:
        return "vaes";
    default:
        return "portable";
    }
}

CipherEngine chosenCipherEngine() {
    static const CipherEngine chosen = [] {
        const char* wanted = std::getenv("TAVRINO_CIPHER");
        for (CipherEngine engine : {CipherEngine::Portable, CipherEngine::AesNi}) {
            if (wanted && std::strcmp(wanted, cipherEngineName(engine)) == 0 &&
                cipherEngineAvailable(engine))
                return engine;
        }
        return bestAvailable();
    }();
    return chosen;
}

namespace rijndael_hw {
namespace {
template <bool Forward>
void crypt(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
           std::uint8_t* out, std::size_t blocks) {
#ifdef TAVRINO_X86
    run<Forward>(engine, keys, in, out, blocks);
#else
    (void)engine, (void)keys, (void)in, (void)out, (void)blocks;
    std::abort(); // never chosen: no engine but the portable one is available
#endif
}
} // namespace

void encrypt(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
             std::uint8_t* out, std::size_t blocks) {
    crypt<true>(engine, keys, in, out, blocks);
}

void decrypt(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
             std::uint8_t* out, std::size_t blocks) {
    crypt<false>(engine, keys, in, out, blocks);
}

} // namespace rijndael_hw
} // namespace tavrino
