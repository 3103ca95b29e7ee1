// How the lobby window steps aside while a game or the updater runs, and comes back where it was.
//
// On X11 the window is unmapped and mapped again: the window manager keeps its place. On Wayland
// a client can neither place its window nor restore a minimised one, and a window mapped again is
// placed anew (weston puts it somewhere at random). There the window stays mapped, so the
// compositor keeps its place, but vanishes: fully transparent, with an empty input region, and
// deaf to the keyboard and to close requests until it comes back.
//
// What the compositor decides on Wayland, and the lobby cannot: where the window first opens
// (the lobby's centring and its fitting to the work area are requests it may ignore), whether
// "present" raises or focuses the window when it comes back (only with an activation protocol the
// compositor offers; weston 10 offers none, so a window the user put above the lobby while it was
// away stays above), whether the vanished window keeps the keyboard focus (its keys are dropped),
// and what minimising does: a minimised window can only be brought back by the user.
#pragma once

#include <gtk/gtk.h>

namespace lobby {

enum class HideWay {
  kUnmap,   // hidden and shown again: the window manager keeps the place
  kVanish,  // kept mapped, invisible and input-transparent: the compositor keeps the place
};

// The way that brings the window back where it was on the window's display.
HideWay HideWayFor(GtkWidget* window);

// Hides the window the given way; hiding a hidden window does nothing.
void HideWindow(GtkWidget* window, HideWay way);

// Shows a window hidden either way again, restored and presented.
void ShowHiddenWindow(GtkWidget* window, HideWay way);

// True while the window has vanished (kVanish).
bool HasVanished(GtkWidget* window);

}  // namespace lobby
