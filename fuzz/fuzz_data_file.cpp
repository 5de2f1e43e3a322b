// The catalog's data-file reader: lines cut by LineReader, the header and
// its date, and every folder and item line parsed and counted.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "catalog/data_file_format.h"
#include "catalog/line_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    catalog::LineReader reader(in);
    std::string_view line;
    bool first = true;
    while (reader.Next(line)) {
        if (first) {
            first = false;
            catalog::ValidateHeader(line);
            catalog::ParseContentDate(catalog::HeaderValue(line, catalog::kContentDateKey));
            continue;
        }
        catalog::LineKind kind = catalog::ClassifyLine(line);
        catalog::FieldCount(line, kind);
        if (auto entry = catalog::ParseDataLine(line, "/All")) {
            // What is read must write back as one line.
            std::string out;
            catalog::AppendItemLine(out, entry->Location, *entry, false);
            if (out.find('\n') != out.size() - 1) __builtin_trap();
        }
    }
    return 0;
}
