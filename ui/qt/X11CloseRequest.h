// SPDX-License-Identifier: MIT
#pragma once
#include <QByteArray>

// On X11, Qt takes the window manager's close request (a WM_DELETE_WINDOW client message) as
// input: the window sees it in nativeEvent, as this parses it. Elsewhere (Wayland, offscreen) it
// is an ordinary event that waits in the queue.
bool CloseRequestsAreX11Events();
bool IsX11CloseRequest(const QByteArray& eventType, void* message);
