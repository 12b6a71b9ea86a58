#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The Xlib side of the test support, apart from any Qt header (Xlib's macros and Qt's
// names do not mix).
// Makes Xlib safe for a test that uses connections from more than one thread; call it
// before any other Xlib call.
void xlibInitThreads();
bool xlibCanConnect(const QByteArray& display);
// Presses a key combination through XTEST on a connection of its own: the modifier keys
// down in order, the last key down and up, the modifiers up. Keys are keysym names
// ("Alt_L", "s", "F5"). False when the layout lacks one of them.
bool xlibPressKeys(const QByteArray& display, const QStringList& keysyms);
// Holds or releases one key.
bool xlibSetKeyDown(const QByteArray& display, const QString& keysym, bool down);
// The keycode that carries `keysym` on the display's current layout, 0 if none.
int xlibKeycodeOf(const QByteArray& display, const QString& keysym);
// The virtual-key code the capture field gets for a press of the key that carries
// `keysym`, with Shift held or not, on the display's current layout. Numpad digits
// ("KP_1") are pressed with Num Lock on.
int xlibCaptureCodeOf(const QByteArray& display, const QString& keysym, bool shift);
// The modifier state bit that a modifier key sets ("Shift_L", "ISO_Level3_Shift").
unsigned int xlibModifierMask(const QByteArray& display, const QString& keysym);
// Grabs a key combination (hotkey modifiers 1 Alt, 2 Ctrl, 4 Shift) on the root window
// from a connection of its own, as another program holding that hotkey would. The grab
// lasts until xlibReleaseForeignGrabs().
bool xlibGrabAsOtherClient(const QByteArray& display, const QString& keysym, int hotkeyModifiers);
void xlibReleaseForeignGrabs();
