// ambit-catalog: checks, prints and re-saves catalog data files with the
// same reader and writer as ambit.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/catalog_tool.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    auto* tool = new catalog::CatalogTool(std::cout, std::cerr);
    int status = tool->Run(args);
    std::cout.flush();
    std::cerr.flush();
    // Every file is written and flushed; freeing a million-item tree
    // would only make the user wait, so the process ends here.
    std::_Exit(std::cout && status == 0 ? 0 : (status == 0 ? 1 : status));
}
