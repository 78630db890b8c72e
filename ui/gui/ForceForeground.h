#pragma once
// Brings a popped-up window to the front and gives it the focus, also when
// another program has it. On X11 under a window manager this goes through
// X11Activation; elsewhere (Wayland, the offscreen platform, a bare X
// server) Qt's own raise and activation are all there is.
class QWidget;

namespace kanata {

void ForceForeground(QWidget& window);

} // namespace kanata
