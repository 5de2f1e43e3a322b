#include "transfer/order_file.h"

#include <unistd.h>

#include "platform/string_array_file.h"

namespace transfer {

bool OrderFile::ReadAndDelete(const std::string& path, bool isResume,
                              std::vector<std::string>& elements, std::string* error) {
    elements.clear();
    std::string why;
    platform::StringArrayRead r = platform::ReadStringArrayFile(path, elements, &why);
    if (r == platform::StringArrayRead::kMissing) {
        if (error) *error = "The order file " + path + " does not exist.";
        return false;
    }
    ::unlink(path.c_str());
    if (r == platform::StringArrayRead::kFailed) {
        if (error) *error = why;
        elements.clear();
        return false;
    }
    size_t needed = static_cast<size_t>(kPurchaseElements) + (isResume ? 1 : 0);
    if (elements.size() < needed) {
        if (error)
            *error = "The order file " + path + " holds " + std::to_string(elements.size()) +
                     " entries, not " + std::to_string(needed) + ".";
        elements.clear();
        return false;
    }
    return true;
}

}  // namespace transfer
