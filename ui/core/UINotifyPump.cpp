#include "ui/core/UIDefine.h"

#include "ui/controls/UIControl.h"


const UI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {
    {CUIString(), CUIString(), UISig_end, {.pfn_vn = nullptr}},
};

const UI_MSGMAP CNotifyPump::messageMap = {nullptr, &CNotifyPump::_messageEntries[0]};

const UI_MSGMAP* CNotifyPump::_GetBaseMessageMap() { return nullptr; }

const UI_MSGMAP* CNotifyPump::GetMessageMap() const { return &CNotifyPump::messageMap; }

bool CNotifyPump::AddVirtualWnd(CUIString strName, CNotifyPump* pObject)
{
    if (m_VirtualWndMap.Find(strName) != nullptr)
        return false;
    return m_VirtualWndMap.Insert(strName, pObject);
}

bool CNotifyPump::RemoveVirtualWnd(CUIString strName)
{
    if (m_VirtualWndMap.Find(strName) == nullptr)
        return false;
    return m_VirtualWndMap.Remove(strName);
}

void CNotifyPump::NotifyPump(TNotifyUI& msg)
{
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); i++) {
            LPCTSTR key = m_VirtualWndMap.GetAt(i);
            if (key == nullptr || msg.sVirtualWnd.CompareNoCase(key) != 0)
                continue;
            CNotifyPump* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject != nullptr && pObject->LoopDispatch(msg))
                return;
        }
    }
    LoopDispatch(msg);
}

namespace {

// The entry for the notification in one array: one that names the sender wins at once,
// otherwise the last entry for any sender.
const UI_MSGMAP_ENTRY* FindEntry(const UI_MSGMAP_ENTRY* lpEntry, const TNotifyUI& msg, const CUIString& senderName)
{
    const UI_MSGMAP_ENTRY* pAnySender = nullptr;
    for (; lpEntry->nSig != UISig_end; lpEntry++) {
        if (lpEntry->sMsgType != msg.sType.GetData())
            continue;
        if (!lpEntry->sCtrlName.IsEmpty()) {
            if (lpEntry->sCtrlName == senderName.GetData())
                return lpEntry;
        } else {
            pAnySender = lpEntry;
        }
    }
    return pAnySender;
}

} // namespace

bool CNotifyPump::LoopDispatch(TNotifyUI& msg)
{
    // A notification without a sender still reaches handlers for any sender.
    CUIString senderName = msg.pSender != nullptr ? msg.pSender->GetName() : CUIString();
    for (const UI_MSGMAP* pMessageMap = GetMessageMap(); pMessageMap != nullptr;
         pMessageMap = pMessageMap->pfnGetBaseMap != nullptr ? pMessageMap->pfnGetBaseMap() : nullptr) {
        const UI_MSGMAP_ENTRY* lpEntry = FindEntry(pMessageMap->lpEntries, msg, senderName);
        if (lpEntry == nullptr)
            continue;
        switch (lpEntry->nSig) {
        case UISig_lwl:
            (this->*lpEntry->pfn.pfn_lwl)(msg.wParam, msg.lParam);
            return true;
        case UISig_vn:
            (this->*lpEntry->pfn.pfn_vn)(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}
