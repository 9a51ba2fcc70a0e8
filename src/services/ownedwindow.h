#pragma once
// Every window the main window opens belongs to it: it stays above the main
// window (the window manager keeps an owned window over its owner), opens
// centred on it and on its screen, and a modal one blocks it.

class QDialog;
class QWidget;

namespace tav {

// Where `owner` is nullptr, the window's parent owns it, else the modal window
// in front, else the main window.

// Makes `w` a window owned by `owner`. A plain
// window becomes a dialog-type window with the usual frame buttons, since
// only those are kept above their owner. Call it before the first showing.
void makeOwnedWindow(QWidget* w, QWidget* owner = nullptr);

// Moves `w` so that it stands centred on its owner (on the screen when the
// owner is not shown), kept inside the available screen.
void centreOnOwner(QWidget* w, QWidget* owner = nullptr);

// Shrinks `w`, as far as its minimum size allows, so that it and its frame
// fit on the available screen of its owner. Call it before the first showing.
void fitOnScreen(QWidget* w, QWidget* owner = nullptr);

// Shows a modeless window owned by `owner`: the first showing centred on it;
// a window already open keeps its place and comes to the front. Activates it.
void showOwnedWindow(QWidget* w, QWidget* owner = nullptr);

// Runs a modal dialog owned by `owner`, centred on it, and returns exec().
int execOwnedDialog(QDialog& dlg, QWidget* owner = nullptr);

} // namespace tav
