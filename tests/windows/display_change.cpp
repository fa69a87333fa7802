// Tells every top-level window that the desktop's monitors changed, as Windows does after a
// monitor is plugged in, unplugged or resized. Wine follows its X server's monitors but tells
// no window, so the Wine tests send the message themselves after changing them.
#include <windows.h>

int main() {
    DWORD_PTR ignored = 0;
    const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, 32, size, SMTO_ABORTIFHUNG, 5000,
                               &ignored)
               ? 0
               : 1;
}
