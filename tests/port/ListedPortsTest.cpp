// SPDX-License-Identifier: MIT
// Which of the ports the system lists is the first, and which addresses a user may give.
#include "port/ListedPorts.h"

#include <gtest/gtest.h>

namespace {
std::string FirstOf(const std::vector<ListedPort>& ports) {
  const auto first = FirstListedPort(ports);
  return first ? first->name + " " + IoAddressText(first->base) : "none";
}

TEST(ListedPorts, TheFirstPortIsTheLowestLptWhereverTheSystemPutIt) {
  const ListedPort onBoard{"LPT1", 0x378};
  const ListedPort pcieCard{"LPT3", 0xD010};
  EXPECT_EQ(FirstOf({}), "none");
  EXPECT_EQ(FirstOf({onBoard}), "LPT1 0x378");
  EXPECT_EQ(FirstOf({pcieCard}), "LPT3 0xD010");
  EXPECT_EQ(FirstOf({pcieCard, onBoard}), "LPT1 0x378");
  EXPECT_EQ(FirstOf({{"LPT10", 0xE000}, {"LPT2", 0xD000}, {"COM1", 0x3F8}}), "LPT2 0xD000") << "by number, not text";
  EXPECT_EQ(ListedPortNamed({onBoard, pcieCard}, "lpt3")->base, 0xD010);
  EXPECT_FALSE(ListedPortNamed({onBoard}, "LPT2"));
  EXPECT_EQ(DescribeListedPorts({onBoard, pcieCard}), "LPT1 at 0x378, LPT3 at 0xD010");
}

// Hex after 0x, decimal otherwise; a multiple of 4 inside I/O space, so that no base lies inside
// another port's registers. A leading zero (as /proc/ioports and Device Manager print a base) is
// no address, and the message offers the hex where that is an address.
TEST(ListedPorts, AnAddressIsHexAfter0xElseDecimalAndKeepsItsRegistersInIoSpace) {
  EXPECT_EQ(ParseIoBase("0xD010"), 0xD010);
  EXPECT_EQ(ParseIoBase("0X100"), 0x100);
  EXPECT_EQ(ParseIoBase("888"), 0x378);
  EXPECT_EQ(ParseIoBase("256"), 0x100);
  EXPECT_EQ(ParseIoBase("0xFFFC"), 0xFFFC);
  for (const char* bad : {"0xFF",
                          "255",
                          "0xFFFD",
                          "0xFFFE",
                          "0xFFFF",
                          "0x37A",
                          "0x379",
                          "889",
                          "0xD011",
                          "65534",
                          "0x10000",
                          "d010",
                          "0x",
                          "",
                          "LPT1",
                          "0xD010 ",
                          "-0x378",
                          "0378",
                          "0777",
                          "00888",
                          "0x378abc",
                          "1e3",
                          "99999999999999999999999"}) {
    EXPECT_FALSE(ParseIoBase(bad)) << bad;
    EXPECT_NE(IoBaseProblem(bad), "") << bad;
  }
  EXPECT_NE(IoBaseProblem("0378").find("did you mean 0x378?"), std::string::npos) << IoBaseProblem("0378");
  EXPECT_NE(IoBaseProblem("0778").find("did you mean 0x778?"), std::string::npos);
  for (const char* noAddressInHex : {"00", "08", "0777", "037A", "065535"}) {
    EXPECT_EQ(IoBaseProblem(noAddressInHex).find("did you mean"), std::string::npos) << noAddressInHex;
    EXPECT_NE(IoBaseProblem(noAddressInHex).find("starts with a zero"), std::string::npos) << noAddressInHex;
  }
  for (const char* notANumber : {"0x", "0xD01O", "888 ", "1e3"}) {
    EXPECT_NE(IoBaseProblem(notANumber).find("is not a number"), std::string::npos) << notANumber;
  }
  for (const char* noPortBase : {"0x10", "0x37A"}) {
    EXPECT_NE(IoBaseProblem(noPortBase).find("not an I/O address a parallel port can have"), std::string::npos);
  }
}
}  // namespace
