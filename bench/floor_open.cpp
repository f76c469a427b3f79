// The floor of opening a profile as a whole process: read the file, decode
// every line's hex through a table, decrypt it with libmcrypt's rijndael-256
// initialised once. No Qt, no checks. Compare with `tavrino-cli dump`:
//   hyperfine 'build/bin/floor_open Big.dat' 'tavrino-cli dump Big < login'
#include <mcrypt.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::FILE* f = std::fopen(argv[1], "rb");
    if (!f) return 1;
    std::vector<unsigned char> file;
    unsigned char chunk[1 << 16];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        file.insert(file.end(), chunk, chunk + n);
    std::fclose(f);
    signed char digit[256];
    for (int c = 0; c < 256; ++c)
        digit[c] = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    MCRYPT td = mcrypt_module_open(const_cast<char*>("rijndael-256"), nullptr,
                                   const_cast<char*>("ecb"), nullptr);
    char key[32] = {};
    mcrypt_generic_init(td, key, 32, nullptr);
    std::vector<char> buffer;
    unsigned long total = 0;
    size_t start = 0;
    for (size_t i = 0; i <= file.size(); ++i) {
        if (i < file.size() && file[i] != '\n') continue;
        size_t end = i;
        if (end > start && file[end - 1] == '\r') --end;
        const size_t n = (end - start) / 2 / 32 * 32;
        buffer.resize(n);
        for (size_t k = 0; k < n; ++k)
            buffer[k] =
                static_cast<char>(digit[file[start + 2 * k]] << 4 | digit[file[start + 2 * k + 1]]);
        if (n) mdecrypt_generic(td, buffer.data(), static_cast<int>(n));
        for (char c : buffer)
            total += static_cast<unsigned char>(c);
        start = i + 1;
    }
    mcrypt_generic_deinit(td);
    mcrypt_module_close(td);
    std::printf("%lu\n", total);
    return 0;
}
