// Prints the one argument ambit would start skiff with for a transfer, with
// the password scrambled, so that bench/skiff-download.sh can start skiff
// the way ambit does:
//   skiff-bench-args HOST REMOTE USER PASSWORD LOCAL MODE
#include <cstdio>
#include <string>

#include "store/scramble.h"

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s HOST REMOTE USER PASSWORD LOCAL MODE\n", argv[0]);
        return 2;
    }
    std::string letters;
    std::string error;
    if (!store::TryScramble(argv[4], letters, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%s$$%s$$%s$$%s$$%s$$%s$$\n", argv[1], argv[2], argv[3], letters.c_str(), argv[5],
                argv[6]);
    return 0;
}
