#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrino {

// Rijndael with 256-bit blocks through the CPU's AES instructions. AESENC
// works on 128-bit halves with AES's own ShiftRows; a byte blend and shuffle
// before each round moves the bytes so that the halves together get
// Rijndael-256's longer row shifts (1, 3 and 4 columns).
enum class CipherEngine {
    Portable, // table code, any CPU
    AesNi,    // two 128-bit halves per block
    Vaes,     // the whole block in one 256-bit register
};

// The fastest engine this CPU has. TAVRINO_CIPHER=portable|aesni|vaes asks
// for a slower one (tests of the fallback); a request the CPU can not run
// falls back to the best it can.
CipherEngine chosenCipherEngine();
bool cipherEngineAvailable(CipherEngine engine);
const char* cipherEngineName(CipherEngine engine);

namespace rijndael_hw {

constexpr int Rounds = 14;                  // Nb = 8 always has 14 rounds
constexpr int KeyBytes = 32 * (Rounds + 1); // round keys, in state byte order

// blocks of 32 bytes from in to out (they may be the same). The keys are the
// encryption schedule, or the equivalent inverse cipher's for decryption.
void encrypt(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
             std::uint8_t* out, std::size_t blocks);
void decrypt(CipherEngine engine, const std::uint8_t* keys, const std::uint8_t* in,
             std::uint8_t* out, std::size_t blocks);

} // namespace rijndael_hw
} // namespace tavrino
