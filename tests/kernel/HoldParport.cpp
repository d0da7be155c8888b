// SPDX-License-Identifier: MIT
// Another program holding a parallel port: claims it through ppdev and keeps it until it is
// ended.   hold_parport DEVICE
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int port = open(argv[1], O_RDWR);
  if (port < 0 || ioctl(port, PPCLAIM) != 0) {
    std::perror("hold_parport");
    return 1;
  }
  std::puts("hold_parport: claimed");
  std::fflush(stdout);
  pause();
  return 0;
}
