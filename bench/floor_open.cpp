// The floor of opening a profile as a whole process: read the file, decode
// every line's hex through a table, decrypt it with libmcrypt's rijndael-256
// initialised once. No Qt, no checks. Compare with `tavrino-cli dump`:
//   hyperfine 'build/bin/floor_open Big.dat' 'tavrino-cli dump Big < login'
#include "floor_decryption.h"

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
    tavrino::bench::FloorDecryption floor;
    unsigned long total = 0;
    size_t start = 0;
    for (size_t i = 0; i <= file.size(); ++i) {
        if (i < file.size() && file[i] != '\n') continue;
        size_t end = i;
        if (end > start && file[end - 1] == '\r') --end;
        for (char c : floor.line(file.data() + start, end - start))
            total += static_cast<unsigned char>(c);
        start = i + 1;
    }
    std::printf("%lu\n", total);
    return 0;
}
