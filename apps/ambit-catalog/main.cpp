// ambit-catalog: checks, prints and re-saves catalog data files with the
// same reader and writer as ambit.
#include <iostream>
#include <string>
#include <vector>

#include "catalog/catalog_tool.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    catalog::CatalogTool tool(std::cout, std::cerr);
    return tool.Run(args);
}
