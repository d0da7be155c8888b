#include "bus/PortError.h"

#include <cstring>

std::string DescribeOsFailure(const std::string& call, const std::string& device, int osError) {
  return call + " on " + device + " failed: " + std::strerror(osError);
}
