#pragma once
#include <stdexcept>
#include <string>

// A port that cannot be opened or accessed. The message names the device, the call and the
// OS error, and says what the user can do about it.
class EPortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "ioctl PPCLAIM on /dev/parport0 failed: Device or resource busy"
std::string DescribeOsFailure(const std::string& call, const std::string& device, int osError);
