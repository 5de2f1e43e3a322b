// Replacing a file must never leave a half-written or unsynced file in its
// place, nor a temporary file beside it.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "failing_sync.h"
#include "file_size_limit.h"
#include "temp_dir.h"

namespace {

TEST(AtomicFile, ReplacesWholeOrLeavesTheOldFileAndSaysWhy) {
    const std::string big(300000, 'x');  // larger than the writer's buffer
    struct Case {
        const char* name;
        std::function<bool(const std::string& path, std::string* error)> write;
        const char* why;  // in the error; nullptr for success
        mode_t mode = 0;  // of the new file, under the umask 027 set below
    } const cases[] = {
        {"success", [&](auto& p, auto* e) { return platform::WriteFileAtomically(p, big, e); },
         nullptr, 0640},
        {"private",
         [&](auto& p, auto* e) { return platform::WriteFileAtomically(p, big, e, 0600); }, nullptr,
         0600},
        {"disk full",
         [&](auto& p, auto* e) {
             testsupport::FileSizeLimit limit(1000);
             return platform::WriteFileAtomically(p, big, e);
         },
         "write failed"},
        {"sync fails",
         [&](auto& p, auto* e) {
             testsupport::FailingSync failing;
             return platform::WriteFileAtomically(p, big, e) || failing.Calls() != 1;
         },
         "sync failed"},
        {"never committed",
         [&](auto& p, auto*) {
             platform::AtomicFileWriter w(p);
             EXPECT_TRUE(w.Open());
             w.Write("partial");
             return false;
         },
         ""},
        {"no such folder",
         [&](auto& p, auto* e) { return platform::WriteFileAtomically(p + "/no/a.amb", "x", e); },
         "no"},
    };
    const mode_t savedUmask = ::umask(027);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        dir.Write("a.amb", "the old catalog");
        std::string error;
        EXPECT_EQ(c.write(dir.File("a.amb"), &error), c.why == nullptr);
        EXPECT_EQ(dir.Read("a.amb"), c.why ? "the old catalog" : big);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
        if (c.why && *c.why) {
            EXPECT_NE(error.find("a.amb"), std::string::npos) << error;
            EXPECT_NE(error.find(c.why), std::string::npos) << error;
        }
        if (!c.why) {
            struct stat st {};
            ASSERT_EQ(::stat(dir.File("a.amb").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, c.mode);
        }
    }
    ::umask(savedUmask);
}

}  // namespace
