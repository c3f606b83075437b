// The notification side of every frame window: a message map that sends each notification
// type to a virtual handler, so a window handles, say, clicks by overriding OnNotifyClick.
#pragma once

#include "ui/core/UIDefine.h"
#include "ui/platform/win32.h"

class CPaintManagerUI;
struct MenuCmd;    // a context menu's command record
class CMenuCmdUI;  // a context menu's command-state query

class CUIFrmBase : public CNotifyPump {
    UI_DECLARE_MESSAGE_MAP()
public:
    CUIFrmBase() = default;
    virtual ~CUIFrmBase() = default;
    virtual CPaintManagerUI* GetManager() const = 0;
    // Dispatches through the message map (and virtual windows).
    virtual void Notify(TNotifyUI& msg);

    virtual void OnNotifyClick(TNotifyUI& msg) {}
    virtual void OnNotifyRClick(TNotifyUI& msg) {}
    virtual void OnNotifyDbClick(TNotifyUI& msg) {}
    virtual void OnNotifyMenu(TNotifyUI& msg) {}
    virtual void OnNotifyLink(TNotifyUI& msg) {}
    virtual void OnNotifyTimer(TNotifyUI& msg) {}
    virtual void OnNotifyReturn(TNotifyUI& msg) {}
    virtual void OnNotifyScroll(TNotifyUI& msg) {}
    virtual void OnNotifyPreDropDown(TNotifyUI& msg) {}
    virtual void OnNotifyDropDown(TNotifyUI& msg) {}
    virtual void OnNotifySetFocus(TNotifyUI& msg) {}
    virtual void OnNotifyKillFocus(TNotifyUI& msg) {}
    virtual void OnNotifyItemClick(TNotifyUI& msg) {}
    virtual void OnNotifyItemRClick(TNotifyUI& msg) {}
    virtual void OnNotifyTabSelect(TNotifyUI& msg) {}
    virtual void OnNotifyItemSelect(TNotifyUI& msg) {}
    virtual void OnNotifyItemExpand(TNotifyUI& msg) {}
    virtual void OnNotifyWindowPrepare(TNotifyUI& msg) {}
    virtual void OnNotifyWindowSize(TNotifyUI& msg) {}
    virtual void OnNotifyButtonDown(TNotifyUI& msg) {}
    virtual void OnNotifyMouseEnter(TNotifyUI& msg) {}
    virtual void OnNotifyMouseLeave(TNotifyUI& msg) {}
    virtual void OnNotifyTextChanged(TNotifyUI& msg) {}
    virtual void OnNotifyHeaderClick(TNotifyUI& msg) {}
    virtual void OnNotifyItemDBClick(TNotifyUI& msg) {}
    virtual void OnNotifyShowActivex(TNotifyUI& msg) {}
    virtual void OnNotifyItemCollapse(TNotifyUI& msg) {}
    virtual void OnNotifyItemActivate(TNotifyUI& msg) {}
    virtual void OnNotifyValueChanged(TNotifyUI& msg) {}
    virtual void OnNotifySelectChanged(TNotifyUI& msg) {}
    virtual void OnNotifyInitCell(TNotifyUI& msg) {}
    virtual void OnNotifyDrawItem(TNotifyUI& msg) {}
    virtual void OnNotifySortItem(TNotifyUI& msg) {}
    virtual void OnNotifyStartEdit(TNotifyUI& msg) {}
    virtual void OnNotifyEndEdit(TNotifyUI& msg) {}
    virtual void OnNotifyDeleteItem(TNotifyUI& msg) {}
    virtual void OnNotityGridStartEdit(TNotifyUI& msg) {}
    virtual void OnNotityGridEndEdit(TNotifyUI& msg) {}
    virtual void OnNotityGridStartSelChange(TNotifyUI& msg) {}
    virtual void OnNotityGridEndSelChange(TNotifyUI& msg) {}
    virtual void OnNotityGridDropDownList(TNotifyUI& msg) {}
    virtual void OnNotityGridGetDispInfo(TNotifyUI& msg) {}
    virtual void OnNotifySciNotify(TNotifyUI& msg) {}

    virtual bool OnMenuCommand(const MenuCmd* cmd) { return false; }
    virtual bool OnMenuUpdateCommandUI(CMenuCmdUI* cmdUI) { return false; }
    // Asked first for every message the frame window did not handle itself.
    virtual bool OnCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) { return false; }

    // Tests on the sender of a notification.
    bool IsControl(const TNotifyUI& msg, const CControlUI* pControl) const;
    bool IsControl(const TNotifyUI& msg, LPCTSTR pstrName) const; // name, ignoring case
    bool IsClass(const TNotifyUI& msg, LPCTSTR pstrClass) const;  // GetClass, ignoring case
    bool IsInterface(const TNotifyUI& msg, LPCTSTR pstrName) const;
};
