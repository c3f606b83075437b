#include "ui/core/UIFrmBase.h"

#include "ui/controls/UIControl.h"

// Entries for any sender; handlers are virtual, so a window overrides them directly.
UI_BEGIN_MESSAGE_MAP(CUIFrmBase, CNotifyPump)
UI_ON_MSGTYPE(L"click", CUIFrmBase::OnNotifyClick)
UI_ON_MSGTYPE(L"rclick", CUIFrmBase::OnNotifyRClick)
UI_ON_MSGTYPE(L"dbclick", CUIFrmBase::OnNotifyDbClick)
UI_ON_MSGTYPE(L"menu", CUIFrmBase::OnNotifyMenu)
UI_ON_MSGTYPE(L"link", CUIFrmBase::OnNotifyLink)
UI_ON_MSGTYPE(L"timer", CUIFrmBase::OnNotifyTimer)
UI_ON_MSGTYPE(L"return", CUIFrmBase::OnNotifyReturn)
UI_ON_MSGTYPE(L"scroll", CUIFrmBase::OnNotifyScroll)
UI_ON_MSGTYPE(L"predropdown", CUIFrmBase::OnNotifyPreDropDown)
UI_ON_MSGTYPE(L"dropdown", CUIFrmBase::OnNotifyDropDown)
UI_ON_MSGTYPE(L"setfocus", CUIFrmBase::OnNotifySetFocus)
UI_ON_MSGTYPE(L"killfocus", CUIFrmBase::OnNotifyKillFocus)
UI_ON_MSGTYPE(L"itemclick", CUIFrmBase::OnNotifyItemClick)
UI_ON_MSGTYPE(L"itemrclick", CUIFrmBase::OnNotifyItemRClick)
UI_ON_MSGTYPE(L"tabselect", CUIFrmBase::OnNotifyTabSelect)
UI_ON_MSGTYPE(L"itemselect", CUIFrmBase::OnNotifyItemSelect)
UI_ON_MSGTYPE(L"itemexpand", CUIFrmBase::OnNotifyItemExpand)
UI_ON_MSGTYPE(L"windowinit", CUIFrmBase::OnNotifyWindowPrepare)
UI_ON_MSGTYPE(L"windowsize", CUIFrmBase::OnNotifyWindowSize)
UI_ON_MSGTYPE(L"buttondown", CUIFrmBase::OnNotifyButtonDown)
UI_ON_MSGTYPE(L"mouseenter", CUIFrmBase::OnNotifyMouseEnter)
UI_ON_MSGTYPE(L"mouseleave", CUIFrmBase::OnNotifyMouseLeave)
UI_ON_MSGTYPE(L"textchanged", CUIFrmBase::OnNotifyTextChanged)
UI_ON_MSGTYPE(L"headerclick", CUIFrmBase::OnNotifyHeaderClick)
UI_ON_MSGTYPE(L"itemdbclick", CUIFrmBase::OnNotifyItemDBClick)
UI_ON_MSGTYPE(L"showactivex", CUIFrmBase::OnNotifyShowActivex)
UI_ON_MSGTYPE(L"itemcollapse", CUIFrmBase::OnNotifyItemCollapse)
UI_ON_MSGTYPE(L"itemactivate", CUIFrmBase::OnNotifyItemActivate)
UI_ON_MSGTYPE(L"valuechanged", CUIFrmBase::OnNotifyValueChanged)
UI_ON_MSGTYPE(L"selectchanged", CUIFrmBase::OnNotifySelectChanged)
UI_ON_MSGTYPE(L"initcell", CUIFrmBase::OnNotifyInitCell)
UI_ON_MSGTYPE(L"drawitem", CUIFrmBase::OnNotifyDrawItem)
UI_ON_MSGTYPE(L"sortitem", CUIFrmBase::OnNotifySortItem)
UI_ON_MSGTYPE(L"startedit", CUIFrmBase::OnNotifyStartEdit)
UI_ON_MSGTYPE(L"endedit", CUIFrmBase::OnNotifyEndEdit)
UI_ON_MSGTYPE(L"deleteitem", CUIFrmBase::OnNotifyDeleteItem)
UI_ON_MSGTYPE(L"gridstartedit", CUIFrmBase::OnNotityGridStartEdit)
UI_ON_MSGTYPE(L"gridendedit", CUIFrmBase::OnNotityGridEndEdit)
UI_ON_MSGTYPE(L"gridstartselchange", CUIFrmBase::OnNotityGridStartSelChange)
UI_ON_MSGTYPE(L"gridendselchange", CUIFrmBase::OnNotityGridEndSelChange)
UI_ON_MSGTYPE(L"griddropdownlist", CUIFrmBase::OnNotityGridDropDownList)
UI_ON_MSGTYPE(L"gridgetdispinfo", CUIFrmBase::OnNotityGridGetDispInfo)
UI_ON_MSGTYPE(L"scinotify", CUIFrmBase::OnNotifySciNotify)
UI_END_MESSAGE_MAP()

void CUIFrmBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

bool CUIFrmBase::IsControl(const TNotifyUI& msg, const CControlUI* pControl) const
{
    return msg.pSender != nullptr && msg.pSender == pControl;
}

bool CUIFrmBase::IsControl(const TNotifyUI& msg, LPCTSTR pstrName) const
{
    if (msg.pSender == nullptr || pstrName == nullptr)
        return false;
    return msg.pSender->GetName().CompareNoCase(pstrName) == 0;
}

bool CUIFrmBase::IsClass(const TNotifyUI& msg, LPCTSTR pstrClass) const
{
    if (msg.pSender == nullptr || pstrClass == nullptr)
        return false;
    LPCTSTR cls = msg.pSender->GetClass();
    return cls != nullptr && ::lstrcmpiW(cls, pstrClass) == 0;
}

bool CUIFrmBase::IsInterface(const TNotifyUI& msg, LPCTSTR pstrName) const
{
    return msg.pSender != nullptr && pstrName != nullptr && msg.pSender->GetInterface(pstrName) != nullptr;
}
