// The command-line tool for catalog publishers: checks data files, prints
// a catalog directory the way the main program would load it, and re-saves
// it with the main program's writer. Lives in the catalog layer so the
// executable stays a thin main() and tests can run it in-process too.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/catalog.h"

namespace catalog {

class CatalogTool {
public:
    CatalogTool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // args without the program name; returns the exit status.
    int Run(const std::vector<std::string>& args);

    int Check(const std::vector<std::string>& files);
    int Print(const std::string& directory);
    int Resave(const std::string& source, const std::string& destination);

private:
    bool CheckFile(const std::string& file);
    void Usage();

    std::ostream& out_;
    std::ostream& err_;
    // The catalog print or resave loaded, kept until the tool is destroyed
    // so that a program may end without spending time on freeing it.
    std::unique_ptr<Catalog> loaded_;
};

}  // namespace catalog
