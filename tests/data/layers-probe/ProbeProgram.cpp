// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UpCall.h"

int main() {
    return UpCall().empty() ? 1 : 0;
}
