// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "dump/ReadsAgreement.h"

// The report on reads that do not agree, for standard error: how many images, the bytes and
// bits that differ and which way, where and when, the likely cause, and the advice for reading
// in circuit. One line each, without the program's name.
std::string DescribeDisagreement(const ReadsDisagreement& disagreement);
