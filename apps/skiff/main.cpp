// skiff, the transfer program that ambit starts for every download, upload
// and purchase.
#include "transfer/skiff_application.h"

int main(int argc, char** argv) { return transfer::SkiffApplication::Main(argc, argv); }
