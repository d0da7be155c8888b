// SPDX-License-Identifier: MIT
#pragma once

// The fixed wait after every line change: 10 x 10,000 inner loop iterations, about one
// processor cycle each, never calibrated and never shortened. It alone sets the bus speed.
// It is also where a requested end of the process happens, the lines idle first (StopBusIfRequested).
void BusDelay();

// The busy-wait itself, with no hook consulted: what BusDelay runs in the shipped programs.
void SpinBusDelay();

inline constexpr int BusDelayOuterPasses = 10;
inline constexpr int BusDelayInnerIterations = 10000;

// Lets tests observe (and stand in for) each BusDelay call, in order with the port traffic.
// The programs never install one.
class BusDelayHook {
 public:
  virtual ~BusDelayHook() = default;
  virtual void OnBusDelay() = 0;
};

// Installs the hook (not owned; nullptr restores the spin) and returns the previous one.
BusDelayHook* InstallBusDelayHook(BusDelayHook* hook);
