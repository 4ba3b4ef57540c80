// SPDX-License-Identifier: GPL-3.0-or-later
// The store's command line on its own, so that the build can pack the side archives before the program exists.
#include "store/StoreCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    return RunStoreCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
