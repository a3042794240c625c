// CMenu: popup menus built in code (items with command identifiers, separators, check marks,
// greyed items, sub-menus) and shown with TrackPopupMenu. Showing a menu is a modal request
// (ModalAnswers.h): a queued answer names the command to choose, a present user picks one in a
// Qt menu, and otherwise the menu closes with nothing chosen. The chosen command is posted to the
// window as WM_COMMAND, or returned with TPM_RETURNCMD. A greyed or unknown command is never
// chosen.
#pragma once

#include "mfc/Wnd.h"

class CMenu : public CObject {
public:
    CMenu() = default;
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    static CMenu* FromHandle(HMENU menu);
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreatePopupMenu();
    BOOL CreateMenu() { return CreatePopupMenu(); }
    BOOL DestroyMenu();

    // MF_STRING, MF_SEPARATOR, MF_POPUP (id is then the sub-menu's HMENU), MF_GRAYED,
    // MF_DISABLED, MF_CHECKED. Texts are GBK; "&" marks the access key and a tab the shortcut
    // shown at the right.
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL DeleteMenu(UINT position, UINT flags);
    // The previous state (MF_GRAYED | MF_DISABLED or MF_CHECKED bits), or 0xFFFFFFFF when there is
    // no such item.
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;  // 0 for a separator, -1 for a sub-menu
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;

    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);
};

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND wnd, const RECT* rect);
