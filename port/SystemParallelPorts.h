// SPDX-License-Identifier: MIT
#pragma once
#include <vector>

#include "port/ListedPorts.h"

// What Windows' device manager lists (the Ports class, devices named LPTn, each with the first
// I/O range the system allocated to it). Empty on a system with no parallel port, and under Wine.
std::vector<ListedPort> SystemParallelPorts();

// Whether a USB printer port is present (a USB-to-parallel printer cable shows up as one): it
// is a printer class device and cannot be driven line by line.
bool SystemHasUsbPrinterPort();
