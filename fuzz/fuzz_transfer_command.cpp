// skiff's one argument, the "$$" field grammar.
#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/transfer_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string argument(reinterpret_cast<const char*>(data), size);
    transfer::TransferCommand c = transfer::ParseTransferCommand(argument);
    if (c.displayName.find('/') != std::string::npos) __builtin_trap();
    std::string rest = argument;
    while (!transfer::TakeField(rest).empty()) {
    }
    return 0;
}
