// SPDX-License-Identifier: MIT
// One bus delay, for counting its instructions under valgrind (bus_delay_instructions.sh).
#include "bus/BusDelay.h"

int main() { SpinBusDelay(); }
