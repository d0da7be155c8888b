#pragma once
#include <string>

// Starts the toolkit, creates the main window (with another caption when one is given) and
// runs it until it is closed, on whatever port backend the caller installed. Without a display
// it says so and returns 3 instead of letting the toolkit abort.
int RunMainWindow(int argc, char** argv, const std::string& caption = "");
