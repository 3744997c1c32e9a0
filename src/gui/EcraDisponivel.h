#pragma once
// Whether the window can be shown at all. Without a display Qt aborts the whole program from
// inside its start-up (status 134) before any window exists, so the front end asks first and
// ends with a message instead.
//
//   if (!EcraDisponivel()) return 1;   // after saying that "/S" and "/3S" need no display
namespace quorvelanti::gui {

// True when the platform Qt will use (QT_QPA_PLATFORM, else xcb) can open its display: an X
// server answers at $DISPLAY for xcb, $WAYLAND_DISPLAY names one for wayland; the platforms
// that draw elsewhere (offscreen, vnc, linuxfb...) need none. Always true on Windows.
bool EcraDisponivel();

}  // namespace quorvelanti::gui
