// Menus are item lists behind handles; a Qt menu is built from the list only when a user is to
// pick from it.
#include "mfc/Menu.h"

#include <QAction>
#include <QMenu>

#include <map>
#include <memory>
#include <vector>

#include "mfc/MfcInternal.h"
#include "mfc/ModalAnswers.h"
#include "mfc/Text.h"
#include "mfc/WinApp.h"

namespace {

struct Item {
    UINT flags;
    UINT_PTR id;  // the sub-menu's handle for MF_POPUP
    CString text;
};

struct MenuData {
    std::vector<Item> items;
};

struct Menus {
    std::map<HMENU, std::unique_ptr<MenuData>> byHandle;
    std::map<HMENU, std::unique_ptr<CMenu>> wrappers;
    std::uintptr_t next = 0x300000;
};

Menus& TheMenus() {
    static Menus* m = new Menus;
    return *m;
}

MenuData* Data(HMENU h) {
    auto it = TheMenus().byHandle.find(h);
    return it == TheMenus().byHandle.end() ? nullptr : it->second.get();
}

// The item by command (searching sub-menus) or by position.
Item* Locate(HMENU h, UINT item, UINT flags, MenuData** owner = nullptr, std::size_t* index = nullptr) {
    MenuData* d = Data(h);
    if (!d) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= d->items.size()) return nullptr;
        if (owner) *owner = d;
        if (index) *index = item;
        return &d->items[item];
    }
    for (std::size_t i = 0; i < d->items.size(); ++i) {
        Item& it = d->items[i];
        if (it.flags & MF_POPUP) {
            if (Item* found = Locate(reinterpret_cast<HMENU>(it.id), item, flags, owner, index)) return found;
        } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
            if (owner) *owner = d;
            if (index) *index = i;
            return &it;
        }
    }
    return nullptr;
}

bool Enabled(HMENU h, UINT_PTR id) {
    const Item* it = Locate(h, static_cast<UINT>(id), MF_BYCOMMAND);
    return it && !(it->flags & (MF_GRAYED | MF_DISABLED));
}

void Fill(QMenu& qmenu, HMENU h) {
    MenuData* d = Data(h);
    if (!d) return;
    for (const Item& it : d->items) {
        if (it.flags & MF_SEPARATOR) {
            qmenu.addSeparator();
            continue;
        }
        QString text = NUVMfc::ToQStringOrReport(it.text.str(), "menu item");
        if (it.flags & MF_POPUP) {
            QMenu* sub = qmenu.addMenu(text);
            Fill(*sub, reinterpret_cast<HMENU>(it.id));
            continue;
        }
        QAction* a = qmenu.addAction(text);
        a->setData(QVariant::fromValue(static_cast<qulonglong>(it.id)));
        a->setEnabled(!(it.flags & (MF_GRAYED | MF_DISABLED)));
        if (it.flags & MF_CHECKED) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
}

}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!Data(menu)) return nullptr;
    auto& slot = TheMenus().wrappers[menu];
    if (!slot) {
        slot.reset(new CMenu);
        slot->m_hMenu = menu;
    }
    return slot.get();
}

BOOL CMenu::Attach(HMENU menu) {
    if (m_hMenu || !Data(menu)) return FALSE;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::CreatePopupMenu() {
    if (m_hMenu) return FALSE;
    Menus& m = TheMenus();
    m.next += 4;
    m_hMenu = reinterpret_cast<HMENU>(m.next);
    m.byHandle[m_hMenu] = std::make_unique<MenuData>();
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    Menus& m = TheMenus();
    // Sub-menus go with their menu.
    std::vector<HMENU> pending{m_hMenu};
    while (!pending.empty()) {
        HMENU h = pending.back();
        pending.pop_back();
        if (MenuData* d = Data(h)) {
            for (const Item& it : d->items) {
                if (it.flags & MF_POPUP) pending.push_back(reinterpret_cast<HMENU>(it.id));
            }
        }
        m.byHandle.erase(h);
        if (auto w = m.wrappers.find(h); w != m.wrappers.end()) {
            w->second->m_hMenu = nullptr;
            m.wrappers.erase(w);
        }
    }
    m_hMenu = nullptr;
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    MenuData* d = Data(m_hMenu);
    if (!d) return FALSE;
    d->items.push_back(Item{flags, id, CString(text ? text : "")});
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    MenuData* d = Data(m_hMenu);
    if (!d) return FALSE;
    std::size_t at = d->items.size();
    if (flags & MF_BYPOSITION) {
        if (position != 0xFFFFFFFFu && position < d->items.size()) at = position;
    } else {
        MenuData* owner = nullptr;
        std::size_t index = 0;
        if (!Locate(m_hMenu, position, MF_BYCOMMAND, &owner, &index)) return FALSE;
        owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index),
                            Item{flags & ~MF_BYPOSITION, id, CString(text ? text : "")});
        return TRUE;
    }
    d->items.insert(d->items.begin() + static_cast<std::ptrdiff_t>(at), Item{flags & ~MF_BYPOSITION, id, CString(text ? text : "")});
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    Item* it = Locate(m_hMenu, position, flags);
    if (!it) return FALSE;
    *it = Item{flags & ~MF_BYPOSITION, id, CString(text ? text : "")};
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags) {
    MenuData* owner = nullptr;
    std::size_t index = 0;
    if (!Locate(m_hMenu, position, flags, &owner, &index)) return FALSE;
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags) {
    Item* it = Locate(m_hMenu, position, flags);
    if (!it) return FALSE;
    if (it->flags & MF_POPUP) {
        CMenu sub;
        sub.m_hMenu = reinterpret_cast<HMENU>(it->id);
        RemoveMenu(position, flags);
        sub.DestroyMenu();
        return TRUE;
    }
    return RemoveMenu(position, flags);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    Item* it = Locate(m_hMenu, item, enable);
    if (!it) return 0xFFFFFFFFu;
    UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return old;
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    Item* it = Locate(m_hMenu, item, check);
    if (!it) return 0xFFFFFFFFu;
    UINT old = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return old;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    const Item* it = Locate(m_hMenu, item, flags);
    if (!it) return 0xFFFFFFFFu;
    return it->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP);
}

int CMenu::GetMenuItemCount() const {
    MenuData* d = Data(m_hMenu);
    return d ? static_cast<int>(d->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    MenuData* d = Data(m_hMenu);
    if (!d || position < 0 || position >= static_cast<int>(d->items.size())) return 0xFFFFFFFFu;
    const Item& it = d->items[static_cast<std::size_t>(position)];
    if (it.flags & MF_SEPARATOR) return 0;
    if (it.flags & MF_POPUP) return 0xFFFFFFFFu;
    return static_cast<UINT>(it.id);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    const Item* it = Locate(m_hMenu, item, flags);
    text = it ? it->text : CString();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const {
    MenuData* d = Data(m_hMenu);
    if (!d || position < 0 || position >= static_cast<int>(d->items.size())) return nullptr;
    const Item& it = d->items[static_cast<std::size_t>(position)];
    return (it.flags & MF_POPUP) ? FromHandle(reinterpret_cast<HMENU>(it.id)) : nullptr;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd ? wnd->m_hWnd : nullptr, rect);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND wnd, const RECT*) {
    if (!Data(menu)) return FALSE;
    NUVMfc::ModalRequest request{NUVMfc::ModalKind::Menu, wnd, nullptr, CString(), CString(), flags,
                                 CMenu::FromHandle(menu)};
    INT_PTR chosen = 0;
    bool answered = NUVMfc::TakeModalAnswer(request, chosen);
    if (answered) {
        if (chosen && !Enabled(menu, static_cast<UINT_PTR>(chosen))) chosen = 0;
    } else if (NUVMfc::UserPresent()) {
        QMenu qmenu;
        Fill(qmenu, menu);
        QAction* a = qmenu.exec(QPoint(x, y));
        chosen = a ? static_cast<INT_PTR>(a->data().toULongLong()) : 0;
        answered = true;
    }
    NUVMfc::RecordModal(request, chosen, answered);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen && wnd && !(flags & TPM_NONOTIFY)) ::PostMessageA(wnd, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
    return chosen ? TRUE : FALSE;
}
