// Asks the game's window for its UI Automation root, as a Windows screen reader's first
// request does: from then on Qt raises the window's UI Automation events.
#include <windows.h>

int main(void)
{
    HWND game = FindWindowW(NULL, L"Pairon12");
    SendMessageW(game, WM_GETOBJECT, 0, -25 /* UiaRootObjectId */);
    return game ? 0 : 1;
}
