// The string-array file reader (download log, transfer records): what
// decodes must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/string_array_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string content(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> items;
    std::string error;
    if (platform::DecodeStringArray(content, items, &error)) {
        std::vector<std::string> again;
        if (!platform::DecodeStringArray(platform::EncodeStringArray(items), again) ||
            again != items)
            __builtin_trap();
    }
    return 0;
}
