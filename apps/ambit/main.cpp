// Internet Ambit: the catalog browser. Everything lives in the ui layer.
#include "ui/ambit_application.h"

int main(int argc, char** argv) { return ui::AmbitApplication::Run(argc, argv); }
