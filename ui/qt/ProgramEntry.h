// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <string>

// What a program does once the toolkit has started, before its window: 0 to go on to the window,
// or the exit code to end with.
using BeforeTheWindow = std::function<int()>;

// Starts the toolkit, creates the main window (with another caption when one is given) and
// runs it until it is closed, on whatever port backend the caller installed (or `prepare`
// installs). Without a display it says so and returns 3 instead of letting the toolkit abort.
int RunMainWindow(int argc, char** argv, const std::string& caption = "", const BeforeTheWindow& prepare = {});

// Under X11, Qt hands the window's image to the server through shared memory, and the first
// paint after each frame then waits for the server to have read it: a round trip 60 times a
// second during a read (bench/README.md measures what it costs). The window is small, so its
// changed areas go through the X connection as data instead, which the server takes when it can
// (QT_XCB_NO_MITSHM, unless the user set it). Called before the toolkit starts.
void SendWindowImagesAsData();
