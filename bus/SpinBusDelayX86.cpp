// SPDX-License-Identifier: MIT
#include "bus/BusDelay.h"

// Written in assembly so that neither the optimiser nor code placement changes the wait: the
// inner loop is a macro-fused dec/jnz pair on a 32-byte boundary, so its pace does not depend on
// where the linker happens to put it, as a C++ loop's does (bench/README.md has the figures).
void SpinBusDelay() {
  asm volatile(
      "  mov %[outer], %%ecx\n"
      "  .p2align 5\n"
      "1:\n"
      "  mov %[inner], %%eax\n"
      "  .p2align 5\n"
      "2:\n"
      "  dec %%eax\n"
      "  jnz 2b\n"
      "  dec %%ecx\n"
      "  jnz 1b\n"
      :
      : [outer] "i"(BusDelayOuterPasses), [inner] "i"(BusDelayInnerIterations)
      : "eax", "ecx", "cc");
}
