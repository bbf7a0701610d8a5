#include "WaitCursor.h"

namespace {
WaitCursorHook g_hook = nullptr;
}

void SetWaitCursorHook(WaitCursorHook hook) { g_hook = hook; }

TWaitCursor::TWaitCursor()
{
    if (g_hook)
        g_hook(true);
}

TWaitCursor::~TWaitCursor()
{
    if (g_hook)
        g_hook(false);
}
