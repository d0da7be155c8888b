// SPDX-License-Identifier: MIT
/* Any DLL will do: what matters is that it is built for the other bitness. */
__declspec(dllexport) int OtherBitness(void) { return 1; }
