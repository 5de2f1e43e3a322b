// A fresh temporary directory for one test, removed with everything in it.
#pragma once

#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name
    std::string File(const std::string& name) const;
    // Writes content to Path()/name (creating parent directories); returns the full path.
    std::string Write(const std::string& name, const std::string& content) const;
    // Reads Path()/name whole; "" if missing.
    std::string Read(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace testsupport
