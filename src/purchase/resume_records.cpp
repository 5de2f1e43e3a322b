#include "purchase/resume_records.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <ctime>

#include "platform/launcher.h"
#include "platform/paths.h"
#include "purchase/pseudo_random.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/registry_key.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

namespace purchase {
namespace {

constexpr const char* kRecordsKey = "incomplete";
constexpr const char* kTransNum = "Trans Num";

std::string RecordKey(std::uint32_t number) {
    return std::string(kRecordsKey) + "\\" + std::to_string(number);
}

// Values are read and written without defaults: a record either holds a
// value or is damaged, it never gains one by being read.
store::RegistryNumber Number(std::uint32_t number, const char* name) {
    return store::RegistryNumber(store::kLocalMachine, store::ApplicationKeyPath(RecordKey(number)),
                                 name);
}

store::RegistryString Text(std::uint32_t number, const char* name) {
    return store::RegistryString(store::kLocalMachine, store::ApplicationKeyPath(RecordKey(number)),
                                 name);
}

// A record must be on disk when the writer returns: a crash may come at any
// moment of a paid transfer. Once on, flush mode stays on for the process.
void Durable() { store::SetFlushMode(1); }

bool FitsSetting(const std::string& text) {
    return store::RegistryString::StoredLength(text) == text.size();
}

}  // namespace

std::uint32_t ResumeRecords::NextTransactionNumber() {
    Durable();
    return store::RegistryValue(std::string(), kTransNum).IncrementNumber();
}

bool ResumeRecords::Create(std::uint32_t number, const std::string& sourceName,
                           const std::string& destName, const std::string& server,
                           std::uint32_t priceCents, bool salesTax, const std::string& itemName) {
    Durable();
    PseudoRandom::Seed(static_cast<std::uint32_t>(std::time(nullptr)));
    // A text that does not fit would be cut, and a cut destination path
    // would resume into another file: refuse before anything is written.
    for (const std::string* text : {&sourceName, &destName, &server, &itemName})
        if (!FitsSetting(*text)) throw store::CRegistryESet();
    Text(number, "sourcename").Set(sourceName);
    Text(number, "destname").Set(destName);
    Text(number, "server").Set(server);
    Text(number, "ambname").Set(itemName);
    Number(number, "size").Set(0);
    Number(number, "downloaded").Set(0);
    Number(number, "price").Set(priceCents);
    Number(number, "salestax").Set(salesTax ? 1 : 0);
    Number(number, "pid").Set(static_cast<std::uint32_t>(::getpid()));
    if (!platform::MakeDirectories(platform::SystemDirectory())) return false;
    // Private: the chunks are a bought file.
    std::string folder = ChunkFolder(number);
    return ::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && platform::IsDirectory(folder));
}

bool ResumeRecords::CheckSize(std::uint32_t number, std::uint32_t total) {
    Durable();
    store::RegistryNumber size = Number(number, "size");
    if (size.Get() == 0) {
        size.Set(total);
        return true;
    }
    return size.Get() == total;
}

std::uint32_t ResumeRecords::Downloaded(std::uint32_t number) {
    return Number(number, "downloaded").Get();
}

void ResumeRecords::SetDownloaded(std::uint32_t number, std::uint32_t bytes) {
    Durable();
    Number(number, "downloaded").Set(bytes);
}

int ResumeRecords::OpenChunk(std::uint32_t number, std::uint32_t index, bool forWriting) {
    std::string path = ChunkPath(number, index);
    if (forWriting) return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void ResumeRecords::Delete(std::uint32_t number) {
    Durable();
    std::string folder = ChunkFolder(number);
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") ::unlink(platform::JoinPath(folder, name).c_str());
        }
        ::closedir(dir);
        ::rmdir(folder.c_str());
    }
    store::RegistryKey(RecordKey(number)).DeleteKey();
}

ResumeRecords::Found ResumeRecords::Find(std::uint32_t position, ResumeRecord& record) {
    std::string name = store::RegistryKey(kRecordsKey).EnumSubKey(position);
    if (name.empty()) return Found::kNone;
    std::uint32_t number = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (ec != std::errc() || end != name.data() + name.size()) throw store::CRegistryEGet();
    record = {};
    record.number = number;
    record.size = Number(number, "size").Get();
    record.downloaded = Number(number, "downloaded").Get();
    record.sourceName = Text(number, "sourcename").Get();
    record.destName = Text(number, "destname").Get();
    record.server = Text(number, "server").Get();
    record.priceCents = Number(number, "price").Get();
    record.salesTax = Number(number, "salestax").Get() != 0;
    record.itemName = Text(number, "ambname").Get();
    record.pid = static_cast<pid_t>(Number(number, "pid").Get());
    // A pid alone may since belong to another program: only a running
    // skiff makes the record busy.
    if (platform::ProcessRuns(record.pid, kTransferProgram)) return Found::kInProgress;
    return Found::kRecord;
}

std::uint32_t ResumeRecords::ChunkIndex(std::uint64_t offset) {
    return static_cast<std::uint32_t>((offset + kChunkSize - 1) / kChunkSize);
}

std::string ResumeRecords::ChunkFolder(std::uint32_t number) {
    return platform::JoinPath(platform::SystemDirectory(), std::to_string(number));
}

std::string ResumeRecords::ChunkPath(std::uint32_t number, std::uint32_t index) {
    return platform::JoinPath(ChunkFolder(number), std::to_string(index));
}

}  // namespace purchase
