// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <initializer_list>

#include "runtime/CallDeadline.h"
#include "runtime/EndingSignals.h"
#include "runtime/ProcessEnd.h"

namespace {
bool standardOutputWasClosed = false;

// The signal numbers the watchdog thread is told of, one byte each.
int watchdogPipe[2] = {-1, -1};

// The signals whose default action ends the process (SIGKILL and SIGSTOP cannot be caught;
// SIGXFSZ is ignored so that a file size limit shortens a write instead).
constexpr int ClassicEndingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,
                                        SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM,
                                        SIGXCPU, SIGVTALRM, SIGPROF, SIGSTKFLT, SIGIO,   SIGPWR,  SIGSYS};

// Signals the processor raises for a fault of the program's own: returning from the handler
// would fault again, so they keep their default action when the kernel sends them.
bool IsFault(int signalNumber) {
  return signalNumber == SIGILL || signalNumber == SIGTRAP || signalNumber == SIGBUS || signalNumber == SIGFPE ||
         signalNumber == SIGSEGV || signalNumber == SIGSYS;
}

// Signals the caller chose to ignore (nohup, a background job) stay ignored. Only the deadline's
// signal gets a handler all the same, which ignores it when it comes from outside.
volatile std::sig_atomic_t ignoredByCaller[_NSIG] = {};

void OnEndingSignal(int signalNumber, siginfo_t* info, void*) {
  // The program's own deadline timer: the interrupted call returns EINTR, and that is all.
  if (IsCallDeadlineTick(signalNumber, info) || ignoredByCaller[signalNumber] != 0) return;
  // A write to a pipe whose reader has gone: the write fails with EPIPE and says so.
  if (signalNumber == SIGPIPE && info->si_code == SI_USER && info->si_pid == getpid()) return;
  if (IsFault(signalNumber) && info->si_code > 0) {
    std::signal(signalNumber, SIG_DFL);
    return;
  }
  if (EndHeld()) {
    // The read ends the process at its next wait, the save once the file is written and closed.
    RequestProcessEnd(signalNumber, 128 + signalNumber);
    // Should no read be running after all (a port that failed with the chip selected, a display
    // that hangs), the watchdog ends the process a second later without it.
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    (void)!write(watchdogPipe[1], &number, 1);
    return;
  }
  EndProcess(signalNumber, 128 + signalNumber);
}

void SleepOneSecond() {
  timespec second{1, 0};
  while (nanosleep(&second, &second) != 0) {
  }
}

// Runs with every signal blocked, so signals reach the program's own threads; it never borrows
// a signal for its timing.
void* Watchdog(void*) {
  unsigned char number = 0;
  ssize_t got = 0;
  while ((got = read(watchdogPipe[0], &number, 1)) < 0 && errno == EINTR) {
  }
  if (got != 1) return nullptr;  // the pipe is gone: nothing will ask any more
  SleepOneSecond();
  while (EndHeldBy(EndWaitsFor::FileBeingWritten)) SleepOneSecond();  // a slow disk: the save ends it
  sigset_t signal;
  sigemptyset(&signal);
  sigaddset(&signal, number);
  pthread_sigmask(SIG_UNBLOCK, &signal, nullptr);  // so the signal's own action ends the process
  EndProcess(number, 128 + number);
}

void StartWatchdog() {
  if (pipe2(watchdogPipe, O_CLOEXEC) != 0) return;
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  pthread_t thread;
  if (pthread_create(&thread, nullptr, Watchdog, nullptr) == 0) pthread_detach(thread);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void CatchEndingSignal(int signalNumber) {
  struct sigaction previous {};
  sigaction(signalNumber, nullptr, &previous);
  if (previous.sa_handler == SIG_IGN) {
    ignoredByCaller[signalNumber] = 1;
    if (signalNumber != CallDeadlineSignal()) return;
  }
  struct sigaction action {};
  action.sa_sigaction = OnEndingSignal;
  // No SA_RESTART: a deadline's tick must cut its call short. SA_NODEFER: ending the process
  // raises the same signal again from the handler.
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(signalNumber, &action, nullptr);
}
}  // namespace

void EnsureStandardDescriptors() {
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1) continue;
    if (descriptor == STDOUT_FILENO) standardOutputWasClosed = true;
    const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    // open takes the lowest free descriptor, which is this one; anything else is put there.
    if (opened > STDERR_FILENO) {
      dup2(opened, descriptor);
      close(opened);
    }
  }
}

void PrepareProcess() {
  EnsureStandardDescriptors();
  std::signal(SIGXFSZ, SIG_IGN);
  static const bool watchdogStarted = (StartWatchdog(), true);
  (void)watchdogStarted;
  for (const int signalNumber : ClassicEndingSignals) CatchEndingSignal(signalNumber);
  for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber) CatchEndingSignal(signalNumber);
}

bool StandardOutputWasClosed() { return standardOutputWasClosed; }
