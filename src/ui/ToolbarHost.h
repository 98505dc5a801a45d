#pragma once
// What the main window lends to its active child window, and what a child window offers
// back. The entry windows see the main window only through TToolbarHost, so they stay
// below the application layer; the main window sees its children only through TMdiChild.

#include <QString>

#include <functional>

class QAction;
class QWidget;

namespace dataset {
class TDBNavigator;
}

namespace ui {

// The shared toolbar, status bar and printing command of the main window.
class TToolbarHost {
public:
    virtual ~TToolbarHost() = default;

    // The record navigator; a child sets its data source and its hooks while active.
    virtual dataset::TDBNavigator &Navigator() = 0;
    // The print, preview and copy buttons: their actions and enabled states belong to the
    // active child. An empty action leaves the button doing nothing.
    virtual void SetPrintAction(std::function<void()> action) = 0;
    virtual void SetPreviewAction(std::function<void()> action) = 0;
    virtual void SetCopyAction(std::function<void()> action) = 0;
    // SBPrint, SBPreview, SBCopy and the current-lease print command together.
    virtual void SetPrintCommandsEnabled(bool enabled) = 0;
    // Panel 0, 1 or 2 of the status bar.
    virtual void SetStatusText(int panel, const QString &text) = 0;
    // Navigator detached and disabled, the three buttons and the print command disabled
    // and without actions, status panel 0 cleared.
    virtual void ResetToolbar() = 0;
};

// A child window of the main window.
class TMdiChild {
public:
    virtual ~TMdiChild() = default;

    // The window became the active child: bind the host's toolbar to its own cursors.
    virtual void ChildActivated(TToolbarHost &host) = 0;
    // Help topic shown by F1 and the help index command while the window is active.
    virtual int HelpContext() const = 0;
    // The widget put into the MDI area.
    virtual QWidget &ChildWidget() = 0;
};

// A lease window, as the lease search sees it: its kind, and the moves the search asks of it.
class TLeaseChild {
public:
    virtual ~TLeaseChild() = default;

    virtual bool IsElderly() const = 0;
    virtual bool IsCooperative() const = 0;
    // Moves to the lease with that key; stays where it is when there is none.
    virtual void GoToLease(const QString &key) = 0;
    // Before another lease is chosen: with unsaved edits, the closing question (keep them,
    // drop them, or stay). False to stay where it is, the edits as they are.
    virtual bool LeaveQuery() = 0;
    // The split dates shown again from the current lease (nothing where there are none).
    virtual void AjusteDates() = 0;
};

} // namespace ui
