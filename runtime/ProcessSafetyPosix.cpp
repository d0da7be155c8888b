#include "runtime/ProcessSafety.h"

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <initializer_list>

#include "runtime/ProcessEnd.h"

namespace {
volatile std::sig_atomic_t pendingSignal = 0;
bool standardOutputWasClosed = false;

void OnTerminationSignal(int signalNumber) {
  if (EndHeld()) {
    // The read ends the process at its next wait, the save once the file is written and closed.
    RequestProcessEnd(signalNumber, 128 + signalNumber);
    // Should no read be running after all (a port that failed with the chip selected), the
    // process ends a second later without it.
    pendingSignal = signalNumber;
    alarm(1);
    return;
  }
  EndProcess(signalNumber, 128 + signalNumber);
}

void OnAlarm(int) {
  if (EndHeldBy(EndHold::FileBeingWritten)) {
    alarm(1);  // a slow disk: the save ends the process when it is done
    return;
  }
  EndProcess(pendingSignal, 128 + pendingSignal);
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
  std::signal(SIGALRM, OnAlarm);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  action.sa_flags = SA_NODEFER;  // ending the process raises the same signal again from the handler
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction previous {};
    sigaction(signalNumber, nullptr, &previous);
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    if (previous.sa_handler != SIG_IGN) sigaction(signalNumber, &action, nullptr);
  }
}

bool StandardOutputWasClosed() { return standardOutputWasClosed; }
