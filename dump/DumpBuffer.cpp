#include "dump/DumpBuffer.h"

EepromImage DumpBuffer{};
