// SPDX-License-Identifier: MIT
#include <pthread.h>
#include <unistd.h>

#include <ctime>

#include "runtime/CallDeadline.h"

namespace {
// What the timer carries, so that a signal sent from outside is never taken for its tick.
int tickMark = 0;

// Where the program has not set up its own signal handling (a test): ticks do nothing, a signal
// from outside is left to the system's default action.
void OnTickWithoutProcessHandler(int signalNumber, siginfo_t* info, void*) {
  if (IsCallDeadlineTick(signalNumber, info)) return;
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

void EnsureTickHandler() {
  struct sigaction current {};
  sigaction(CallDeadlineSignal(), nullptr, &current);
  if ((current.sa_flags & SA_SIGINFO) != 0) return;  // the process's own handler leaves ticks alone
  struct sigaction action {};
  action.sa_sigaction = OnTickWithoutProcessHandler;
  action.sa_flags = SA_SIGINFO;  // no SA_RESTART: the waiting call must return EINTR
  sigemptyset(&action.sa_mask);
  sigaction(CallDeadlineSignal(), &action, nullptr);
}
}  // namespace

int CallDeadlineSignal() { return SIGRTMIN; }

bool IsCallDeadlineTick(int signalNumber, const siginfo_t* info) {
  return signalNumber == CallDeadlineSignal() && info->si_code == SI_TIMER && info->si_value.sival_ptr == &tickMark;
}

CallDeadline::CallDeadline(int seconds) {
  EnsureTickHandler();
  sigset_t deadlineSignal;
  sigemptyset(&deadlineSignal);
  sigaddset(&deadlineSignal, CallDeadlineSignal());
  pthread_sigmask(SIG_UNBLOCK, &deadlineSignal, &previousMask_);
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;  // this thread, not whichever thread the kernel picks
  event.sigev_signo = CallDeadlineSignal();
  event.sigev_value.sival_ptr = &tickMark;
  event._sigev_un._tid = gettid();
  armed_ = timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
  if (!armed_) return;
  itimerspec expiry{};
  expiry.it_value.tv_sec = seconds;
  timer_settime(timer_, 0, &expiry, nullptr);
}

CallDeadline::~CallDeadline() {
  // Deleted while its signal is still unblocked here, so a tick that came late is handled now
  // and never waits, pending, to cut short a later call.
  if (armed_) timer_delete(timer_);
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}
