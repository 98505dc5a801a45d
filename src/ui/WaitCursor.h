#pragma once
// The hourglass cursor for the length of a scope, restored on every way out.

namespace ui {

// Guards nest: each restores only the cursor it pushed.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;

private:
    bool m_shown; // a cursor was pushed (not in command-line runs)
};

} // namespace ui
