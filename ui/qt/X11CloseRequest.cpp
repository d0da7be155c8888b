// SPDX-License-Identifier: MIT
#include "ui/qt/X11CloseRequest.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

bool CloseRequestsAreX11Events() { return QGuiApplication::platformName() == "xcb"; }

bool IsX11CloseRequest(const QByteArray& eventType, void* message) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
  const auto* clientMessage = static_cast<const xcb_client_message_event_t*>(message);
  static const xcb_atom_t deleteWindow = [] {
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return xcb_atom_t{XCB_ATOM_NONE};
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        x11->connection(), xcb_intern_atom(x11->connection(), 1, 16, "WM_DELETE_WINDOW"), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
  }();
  return clientMessage->format == 32 && deleteWindow != XCB_ATOM_NONE && clientMessage->data.data32[0] == deleteWindow;
}
