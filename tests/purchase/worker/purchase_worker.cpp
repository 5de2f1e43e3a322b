// A second program on the purchase records, built under the name "skiff" so
// that ambit's in-progress test takes it for a running transfer. Commands
// (AMBIT_REGISTRY names the settings file):
//   numbers COUNT   takes COUNT transaction numbers, printing each
//   wait            prints its pid and waits until it is killed
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "purchase/resume_records.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"

int main(int argc, char** argv) {
    store::SetCompanyKey(store::kDefaultCompanyKey);
    store::SetApplication(store::kApplicationName, store::kApplicationVersion);
    if (argc == 3 && std::strcmp(argv[1], "numbers") == 0) {
        try {
            for (long i = std::strtol(argv[2], nullptr, 10); i > 0; --i)
                std::printf("%u\n", purchase::ResumeRecords::NextTransactionNumber());
        } catch (const store::CRegistryError&) {
            std::fprintf(stderr, "%s\n", store::RegistryLastError().c_str());
            return 2;
        }
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "wait") == 0) {
        std::printf("%d\n", static_cast<int>(::getpid()));
        std::fflush(stdout);
        while (true) ::pause();
    }
    std::fprintf(stderr, "usage: skiff numbers COUNT | skiff wait\n");
    return 1;
}
