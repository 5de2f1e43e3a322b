// Stands for the FTP client where the catalog layer is tested without one:
// serves files from a directory laid out like the map server's root and
// records every request as host + path.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog_services.h"
#include "platform/atomic_file.h"

namespace testsupport {

class DirectoryFetcher : public catalog::DataFileFetcher {
public:
    explicit DirectoryFetcher(std::string root) : root_(std::move(root)) {}
    bool Fetch(const std::string& host, const std::string& remotePath,
               const std::string& localPath) override {
        requests.push_back(host + remotePath);
        std::string content;
        if (!platform::ReadWholeFile(root_ + remotePath, content)) return false;
        return platform::WriteFileAtomically(localPath, content);
    }
    std::vector<std::string> requests;

private:
    std::string root_;
};

}  // namespace testsupport
