// SPDX-License-Identifier: MIT
#pragma once
#include <string>

class QMessageBox;

// Sets a message box's text broken into lines at its spaces only, no longer than `columns`
// characters (a longer word keeps a line of its own), and lines the box may not break again:
// Qt would also break after a hyphen or a slash, cutting "lpt-tool-demo" or "/dev/parport0" in
// two across lines, and a user would type half of it. Assistive technology is given the message
// whole, as its name, without those line breaks.
void SetSpaceWrappedText(QMessageBox& box, const std::string& message, int columns = 64);
