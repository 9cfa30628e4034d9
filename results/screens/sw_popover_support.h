#pragma once

#include <QWidget>
#include <functional>
#include <utility>

// Ends the program, as the quit buttons of the popovers ask. Tests put a recorder in its
// place so that they see the request without quitting.
void swTerminateApplication();
// Replaces what swTerminateApplication does; null puts the ending of the event loop back.
void swSetTerminateApplication(std::function<void()> terminate);

// Readies a popover's form: gives every drawn button its look, named in the form by the
// button's "buttonStyle" property ("primary", "link", or none for a secondary button;
// links take their colour from the theme, again after every theme change), and fits
// its height.
void swPreparePopoverView(QWidget* view);
// Makes a popover's view as tall as its wrapped texts need at the form's width.
void swFitPopoverHeight(QWidget* view);

// Calls a popover's report to its opener at most once: the block is cleared before it
// runs, so a second click while the popover animates away, or a click that races the
// end of its work, reports nothing more.
template <class Block, class... Args>
void swCallOnce(Block& block, Args&&... args) {
    if (Block taken = std::exchange(block, nullptr)) taken(std::forward<Args>(args)...);
}

// The widget of that name and type in a popover's form: its outlet.
template <class Outlet = QWidget>
Outlet* swOutlet(QWidget* view, const char* name) {
    return view->findChild<Outlet*>(QLatin1String(name));
}
