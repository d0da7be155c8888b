#pragma once

// Starts the toolkit, creates the main window and runs it until it is closed, on whatever
// port backend the caller installed. On a machine without a display it says so and returns 3
// instead of letting the toolkit abort.
int RunMainWindow(int argc, char** argv);
