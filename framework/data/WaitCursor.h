#pragma once

// Long operations of the data layer (open, post, refresh) show the wait cursor.
// The layer itself knows no widgets: the application installs the hook.
using WaitCursorHook = void (*)(bool busy);
void SetWaitCursorHook(WaitCursorHook hook);

class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
