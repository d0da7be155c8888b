// SPDX-License-Identifier: MIT
#pragma once
#include <csignal>

// Cuts a blocking system call of this thread short after a time (a claim of a parallel port
// that another program holds): the call fails with EINTR. It holds whatever signal mask and
// dispositions the program inherited: the timer's signal is unblocked in this thread while the
// deadline lives and always has a handler. No signal sent from outside is taken for a tick.
class CallDeadline {
 public:
  explicit CallDeadline(int seconds);
  ~CallDeadline();
  CallDeadline(const CallDeadline&) = delete;
  CallDeadline& operator=(const CallDeadline&) = delete;

 private:
  timer_t timer_{};
  bool armed_ = false;
  sigset_t previousMask_{};
};

// The real-time signal the deadline's timer sends to the thread that waits.
int CallDeadlineSignal();

// For the process's own signal handler: whether this delivery is a deadline's tick, which it
// must leave alone (the interrupted call sees EINTR). Async-signal-safe.
bool IsCallDeadlineTick(int signalNumber, const siginfo_t* info);
