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

// Under X11, shared-memory images make the first paint after each frame wait for the server (a
// round trip 60 times a second during a read; bench/README.md). The window is small, so its images
// go through the connection as data instead (QT_XCB_NO_MITSHM, unless set). Before the toolkit starts.
void SendWindowImagesAsData();
