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
};

} // namespace ui
