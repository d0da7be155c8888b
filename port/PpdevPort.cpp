#include "port/PpdevPort.h"

#include <cerrno>
#include <csignal>
#include <ctime>

#include "port/PortError.h"
#include "port/PortRegisters.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// Interrupts a claim that waits too long: a real-time signal with a handler that does nothing,
// installed without SA_RESTART, so the waiting ioctl returns EINTR.
void OnClaimDeadline(int) {}

class ClaimDeadline {
 public:
  ClaimDeadline() {
    static const bool handlerInstalled = [] {
      struct sigaction action {};
      action.sa_handler = OnClaimDeadline;
      sigemptyset(&action.sa_mask);
      return sigaction(SIGRTMIN, &action, nullptr) == 0;
    }();
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGRTMIN;
    armed_ = handlerInstalled && timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    if (!armed_) return;
    itimerspec oneSecond{};
    oneSecond.it_value.tv_sec = 1;
    timer_settime(timer_, 0, &oneSecond, nullptr);
  }
  ~ClaimDeadline() {
    if (armed_) timer_delete(timer_);
  }
  ClaimDeadline(const ClaimDeadline&) = delete;
  ClaimDeadline& operator=(const ClaimDeadline&) = delete;

 private:
  timer_t timer_{};
  bool armed_ = false;
};

int OpenDevice(const char* path, int flags) { return ::open(path, flags); }
int ControlDevice(int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); }
int CloseDevice(int fd) { return ::close(fd); }
}  // namespace

const PpdevCalls& RealPpdevCalls() {
  static const PpdevCalls calls{OpenDevice, ControlDevice, CloseDevice};
  return calls;
}

PpdevPort::PpdevPort(std::string device, const PpdevCalls& calls) : device_(std::move(device)), calls_(calls) {
  fd_ = calls_.open(device_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw OsPortError("open", device_, errno);
  try {
    Claim();
  } catch (const EPortError&) {
    calls_.close(fd_);
    throw;
  }
}

PpdevPort::~PpdevPort() {
  ReleaseClaim();
  calls_.close(fd_);
}

void PpdevPort::Claim() {
  // The kernel refuses every other ioctl with EINVAL until the port is claimed, and a claim of a
  // port that another program holds waits until that program lets go: not longer than a second.
  int result = 0;
  {
    const ClaimDeadline deadline;
    result = calls_.ioctl(fd_, PPCLAIM, nullptr);
  }
  if (result != 0 && errno == EINTR) {
    throw EPortError("The parallel port " + device_ +
                         " is in use by another program (a print job, another read). Wait until it is done, then "
                         "try again.",
                     EBUSY, "ioctl PPCLAIM");
  }
  if (result != 0) throw OsPortError("ioctl PPCLAIM", device_, errno);
  claimed_ = true;
  int forward = 0;
  if (calls_.ioctl(fd_, PPDATADIR, &forward) != 0) {
    const int osError = errno;
    ReleaseClaim();
    throw OsPortError("ioctl PPDATADIR", device_, osError);
  }
}

void PpdevPort::Release() { ReleaseClaim(); }

void PpdevPort::ReleaseClaim() {
  if (!claimed_) return;
  calls_.ioctl(fd_, PPRELEASE, nullptr);
  claimed_ = false;
}

void PpdevPort::Control(unsigned long request, const char* name, void* argument) {
  if (!claimed_) Claim();
  if (calls_.ioctl(fd_, request, argument) != 0) {
    throw OsPortError(name, device_, errno);
  }
}

std::uint8_t PpdevPort::ReadPortByte(std::uint16_t port) {
  if (port != StatusPort) throw EPortError("ppdev backend: only the status register can be read");
  unsigned char status = 0;
  Control(PPRSTATUS, "ioctl PPRSTATUS", &status);
  return status;
}

void PpdevPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  if (port != DataPort) throw EPortError("ppdev backend: only the data register can be written");
  unsigned char data = value;
  Control(PPWDATA, "ioctl PPWDATA", &data);
}
