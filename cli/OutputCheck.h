#pragma once
#include <string>

// Why the image could not be saved under OUTPUT ("-": standard output), found before the read so
// that a doomed save never costs one; "" when nothing stands in the way. The folder must exist,
// be a folder and take a new file; an existing file must be writable and not a folder or a
// parallel port.
std::string OutputProblem(const std::string& output);
