// A second program using the settings database, for the tests that need two
// processes on one file. Commands (AMBIT_REGISTRY names the file):
//   write SUBKEY FIRST COUNT [flush]  sets SUBKEY's "vI" to I for each I,
//                                     printing I once its write returned
//   read SUBKEY COUNT                 exits 0 when every "vI" reads back as I
//   get NAME                          prints the application key's string NAME
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

using namespace store;

namespace {

int Write(const std::string& subkey, unsigned long first, unsigned long count, bool flush) {
    SetFlushMode(flush ? 1 : 0);
    for (unsigned long i = first; i < first + count; ++i) {
        RegistryNumber(kLocalMachine, ApplicationKeyPath(subkey), "v" + std::to_string(i))
            .Set(static_cast<std::uint32_t>(i));
        // Both writers also take turns on one shared value.
        if (i % 10 == 0) RegistryString("shared").Set(subkey + std::to_string(i));
        std::printf("%lu\n", i);
        std::fflush(stdout);
    }
    return 0;
}

int Read(const std::string& subkey, unsigned long count) {
    for (unsigned long i = 0; i < count; ++i) {
        std::uint32_t v =
            RegistryNumber(kLocalMachine, ApplicationKeyPath(subkey), "v" + std::to_string(i))
                .Get();
        if (v != i) {
            std::fprintf(stderr, "%s\\v%lu is %u\n", subkey.c_str(), i, v);
            return 2;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SetCompanyKey(kDefaultCompanyKey);
    SetApplication(kApplicationName, kApplicationVersion);
    std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "write" && argc >= 5)
            return Write(argv[2], std::strtoul(argv[3], nullptr, 10),
                         std::strtoul(argv[4], nullptr, 10),
                         argc > 5 && std::strcmp(argv[5], "flush") == 0);
        if (command == "read" && argc == 4)
            return Read(argv[2], std::strtoul(argv[3], nullptr, 10));
        if (command == "get" && argc == 3) {
            std::printf("%s\n", RegistryString(argv[2]).Get().c_str());
            return 0;
        }
    } catch (const CRegistryError&) {
        std::fprintf(stderr, "registry error: %s\n", RegistryLastError().c_str());
        return 3;
    }
    std::fprintf(stderr, "usage: registry_worker write|read|get ...\n");
    return 64;
}
