#include "ui/controls/UIContainer.h"

#include <cmath>
#include <cwchar>

#include "ui/controls/UIAttributeValue.h"
#include "ui/core/UIManager.h"

using uiattr::EqualsNoCase;

namespace {

bool PointInRect(const RECT& rc, const POINT& pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

int Clamp(int v, int lo, int hi)
{
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

// floor(extent * percent) as a pixel offset. The percentage comes from markup and may be
// anything a double holds; the conversion to an integer must stay defined.
LONG PercentOffset(int extent, double percent)
{
    double v = std::floor(extent * percent);
    const double limit = 1 << 28;
    if (!std::isfinite(v)) return 0;
    return static_cast<LONG>(v < -limit ? -limit : v > limit ? limit : v);
}

} // namespace

CContainerUI::CContainerUI()
    : m_rcInset{0, 0, 0, 0}, m_iChildPadding(0), m_iChildAlign(0), m_iChildVAlign(0), m_bAutoDestroy(true),
      m_bDelayedDestroy(true), m_bMouseChildEnabled(true)
{
}

CContainerUI::~CContainerUI()
{
    m_bDelayedDestroy = false;
    RemoveAll();
}

LPCTSTR CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName)
{
    if (EqualsNoCase(pstrName, L"IContainer")) return static_cast<IContainerUI*>(this);
    if (EqualsNoCase(pstrName, L"Container")) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const
{
    if (iIndex < 0 || iIndex >= m_items.GetSize()) return nullptr;
    return static_cast<CControlUI*>(m_items.GetAt(iIndex));
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const
{
    for (int it = 0; it < m_items.GetSize(); it++) {
        if (static_cast<CControlUI*>(m_items.GetAt(it)) == pControl) return it;
    }
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* pControl, int iNewIndex)
{
    int iOld = GetItemIndex(pControl);
    if (iOld < 0) return false;
    if (iNewIndex < 0 || iNewIndex >= m_items.GetSize()) return false;
    NeedUpdate();
    m_items.Remove(iOld);
    return m_items.InsertAt(iNewIndex, pControl);
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::Add(CControlUI* pControl)
{
    if (pControl == nullptr) return false;
    if (m_pManager != nullptr) pControl->SetManager(m_pManager, this, true);
    if (IsVisible())
        NeedUpdate();
    else
        pControl->SetInternVisible(false);
    return m_items.Add(pControl);
}

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr) return false;
    if (iIndex < 0 || iIndex > m_items.GetSize()) return false;
    if (m_pManager != nullptr) pControl->SetManager(m_pManager, this, true);
    if (IsVisible())
        NeedUpdate();
    else
        pControl->SetInternVisible(false);
    return m_items.InsertAt(iIndex, pControl);
}

bool CContainerUI::AddAt(CControlUI* pControl, CControlUI* pIndexControl)
{
    if (pControl == nullptr) return false;
    int iIndex = GetItemIndex(pIndexControl);
    if (iIndex < 0) return false;
    return AddAt(pControl, iIndex);
}

void CContainerUI::DestroyChild(CControlUI* pControl)
{
    if (m_bDelayedDestroy && m_pManager != nullptr)
        m_pManager->AddDelayedCleanup(pControl);
    else
        delete pControl;
}

bool CContainerUI::Remove(CControlUI* pControl, bool bDoNotDestroy)
{
    if (pControl == nullptr) return false;
    int it = GetItemIndex(pControl);
    if (it < 0) return false;
    NeedUpdate();
    // Take it out of the list first so that its destructor never sees itself listed.
    m_items.Remove(it);
    if (!bDoNotDestroy && m_bAutoDestroy) DestroyChild(pControl);
    return true;
}

bool CContainerUI::RemoveAt(int iIndex, bool bDoNotDestroy)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr) return false;
    return Remove(pControl, false);
}

void CContainerUI::RemoveAll()
{
    // Detach the list before destroying, so a child's destructor that reaches back
    // into this container finds it already empty.
    CStdPtrArray items;
    for (int it = 0; it < m_items.GetSize(); it++) items.Add(m_items.GetAt(it));
    m_items.Empty();
    if (m_bAutoDestroy) {
        for (int it = 0; it < items.GetSize(); it++) DestroyChild(static_cast<CControlUI*>(items.GetAt(it)));
    }
    NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items.GetAt(it))->SetManager(pManager, this, bInit);
    CControlUI::SetManager(pManager, pParent, bInit);
}

RECT CContainerUI::GetClientPos() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_items.IsEmpty()) return;

    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;

    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(it);
        } else {
            RECT rcCtrl = CalcPosRect(pControl, rc);
            pControl->SetPos(rcCtrl, false);
        }
    }
}

RECT CContainerUI::CalcPosRect(CControlUI* pControl, const RECT& rc) const
{
    int w = Clamp(rc.right - rc.left, pControl->GetMinWidth(), pControl->GetMaxWidth());
    int h = Clamp(rc.bottom - rc.top, pControl->GetMinHeight(), pControl->GetMaxHeight());
    return RECT{rc.left, rc.top, rc.left + w, rc.top + h};
}

bool CContainerUI::CalcPos(CControlUI* pChildControl, RECT& rcChild)
{
    if (GetItemIndex(pChildControl) < 0) return false;
    rcChild = CalcPosRect(pChildControl, GetClientPos());
    return true;
}

void CContainerUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CControlUI::Move(szOffset, bNeedInvalidate);
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (pControl != nullptr && pControl->IsVisible()) pControl->Move(szOffset, false);
    }
}

void CContainerUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    CControlUI::SetVisible(bVisible);
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items.GetAt(it))->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items.GetAt(it))->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled) return;
    m_bEnabled = bEnabled;
    for (int it = 0; it < m_items.GetSize(); it++)
        static_cast<CControlUI*>(m_items.GetAt(it))->SetEnabled(bEnabled);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool bEnabled) { CControlUI::SetMouseEnabled(bEnabled); }

RECT CContainerUI::GetInset() const
{
    return RECT{ScaleValue(m_rcInset.left), ScaleValue(m_rcInset.top), ScaleValue(m_rcInset.right),
                ScaleValue(m_rcInset.bottom)};
}

void CContainerUI::SetInset(RECT rcInset)
{
    m_rcInset = rcInset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return ScaleValue(m_iChildPadding); }

void CContainerUI::SetChildPadding(int iPadding)
{
    m_iChildPadding = iPadding;
    NeedUpdate();
}

UINT CContainerUI::GetChildAlign() const { return m_iChildAlign; }

void CContainerUI::SetChildAlign(UINT iAlign)
{
    m_iChildAlign = iAlign;
    NeedUpdate();
}

UINT CContainerUI::GetChildVAlign() const { return m_iChildVAlign; }

void CContainerUI::SetChildVAlign(UINT iVAlign)
{
    m_iChildVAlign = iVAlign;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }

void CContainerUI::SetAutoDestroy(bool bAuto) { m_bAutoDestroy = bAuto; }

bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }

void CContainerUI::SetDelayedDestroy(bool bDelayed) { m_bDelayedDestroy = bDelayed; }

bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }

void CContainerUI::SetMouseChildEnabled(bool bEnable) { m_bMouseChildEnabled = bEnable; }

int CContainerUI::FindSelectable(int iIndex, bool bForward) const
{
    if (GetCount() == 0) return -1;
    if (iIndex >= GetCount()) iIndex = GetCount() - 1;
    if (iIndex < 0) iIndex = 0;
    if (bForward) {
        for (int i = iIndex; i < GetCount(); i++) {
            CControlUI* p = GetItemAt(i);
            if (p->GetInterface(L"ListItem") != nullptr && p->IsVisible() && p->IsEnabled()) return i;
        }
        return -1;
    }
    for (int i = iIndex; i >= 0; --i) {
        CControlUI* p = GetItemAt(i);
        if (p->GetInterface(L"ListItem") != nullptr && p->IsVisible() && p->IsEnabled()) return i;
    }
    return FindSelectable(0, true);
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (pstrValue == nullptr) pstrValue = L"";
    if (EqualsNoCase(pstrName, L"inset")) {
        int v[4];
        uiattr::ReadInts(pstrValue, v, 4);
        SetInset(RECT{v[0], v[1], v[2], v[3]});
    } else if (EqualsNoCase(pstrName, L"mousechild")) {
        SetMouseChildEnabled(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"childpadding")) {
        SetChildPadding(uiattr::ReadInt(pstrValue));
    } else if (wcscmp(pstrName, L"childalign") == 0) {
        // Stored without a layout request, like the original markup handling.
        if (wcscmp(pstrValue, L"left") == 0)
            m_iChildAlign = UIALIGN_LEFT;
        else if (wcscmp(pstrValue, L"center") == 0)
            m_iChildAlign = UIALIGN_CENTER;
        else if (wcscmp(pstrValue, L"right") == 0)
            m_iChildAlign = UIALIGN_RIGHT;
    } else if (wcscmp(pstrName, L"childvalign") == 0) {
        if (wcscmp(pstrValue, L"top") == 0)
            m_iChildVAlign = UIALIGN_TOP;
        else if (wcscmp(pstrValue, L"vcenter") == 0)
            m_iChildVAlign = UIALIGN_VCENTER;
        else if (wcscmp(pstrValue, L"bottom") == 0)
            m_iChildVAlign = UIALIGN_BOTTOM;
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

SIZE CContainerUI::EstimateSize(SIZE szAvailable)
{
    if (!m_bPaneVisible) return m_szAnimationCurrent;
    if (!m_bAutoCalcWidth && !m_bAutoCalcHeight) return CControlUI::EstimateSize(szAvailable);

    SIZE sz{0, 0};
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible()) continue;
        SIZE szChild = pControl->EstimateSize(szAvailable);
        RECT rcPadding = pControl->GetPadding();
        if (m_bAutoCalcWidth) sz.cx += rcPadding.left + szChild.cx + rcPadding.right;
        if (m_bAutoCalcHeight) sz.cy += rcPadding.top + szChild.cy + rcPadding.bottom;
    }
    int count = m_items.GetSize();
    if (m_bAutoCalcWidth) {
        sz.cx += m_rcInset.left + m_rcInset.right;
        if (count > 1) sz.cx += m_iChildPadding * (count - 1);
    } else {
        sz.cx = 0;
    }
    if (m_bAutoCalcHeight) {
        sz.cy += m_rcInset.top + m_rcInset.bottom;
        if (count > 1) sz.cy += m_iChildPadding * (count - 1);
    } else {
        sz.cy = 0;
    }
    return sz;
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    const bool hitTest = (uFlags & UIFIND_HITTEST) != 0;
    if (hitTest) {
        if (pData == nullptr || !PointInRect(m_rcItem, *static_cast<const POINT*>(pData))) return nullptr;
    }
    if ((uFlags & UIFIND_UPDATETEST) != 0 && Proc(this, pData) != nullptr) return nullptr;

    CControlUI* pResult = nullptr;
    if ((uFlags & UIFIND_ME_FIRST) != 0) {
        if (!hitTest || IsMouseEnabled()) pResult = Proc(this, pData);
    }
    if (pResult != nullptr) return pResult;

    if (!(hitTest && !m_bMouseChildEnabled)) {
        RECT rc = m_rcItem;
        rc.left += m_rcInset.left;
        rc.top += m_rcInset.top;
        rc.right -= m_rcInset.right;
        rc.bottom -= m_rcInset.bottom;
        const int count = m_items.GetSize();
        for (int i = 0; i < count; i++) {
            int it = (uFlags & UIFIND_TOP_FIRST) != 0 ? count - 1 - i : i;
            CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
            pResult = pControl->FindControl(Proc, pData, uFlags);
            if (pResult == nullptr) continue;
            if (!hitTest) return pResult;
            if (pResult->IsFloat() || PointInRect(rc, *static_cast<const POINT*>(pData))) return pResult;
        }
    }

    if ((uFlags & UIFIND_ME_FIRST) != 0 || (hitTest && !IsMouseEnabled())) return nullptr;
    return Proc(this, pData);
}

void CContainerUI::SetFloatPos(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr || !pControl->IsVisible() || !pControl->IsFloat()) return;

    const int W = m_rcItem.right - m_rcItem.left;
    const int H = m_rcItem.bottom - m_rcItem.top;
    SIZE szXY = pControl->GetFixedXY();
    SIZE sz{pControl->GetFixedWidth(), pControl->GetFixedHeight()};
    TPercentInfo rcPercent = pControl->GetFloatPercent();
    UINT uAlign = pControl->GetFloatAlign();

    RECT rcCtrl{0, 0, 0, 0};
    if (uAlign != 0) {
        rcCtrl = RECT{0, 0, sz.cx, sz.cy};
        LONG dx = (uAlign & UIALIGN_CENTER) != 0 ? (W - sz.cx) / 2 : (uAlign & UIALIGN_RIGHT) != 0 ? W - sz.cx : szXY.cx;
        LONG dy = (uAlign & UIALIGN_VCENTER) != 0 ? (H - sz.cy) / 2 : (uAlign & UIALIGN_BOTTOM) != 0 ? H - sz.cy : szXY.cy;
        dx += m_rcItem.left;
        dy += m_rcItem.top;
        rcCtrl.left += dx;
        rcCtrl.right += dx;
        rcCtrl.top += dy;
        rcCtrl.bottom += dy;
    } else if (rcPercent.left != 0 || rcPercent.top != 0 || rcPercent.right != 0 || rcPercent.bottom != 0) {
        rcCtrl.left = m_rcItem.left + PercentOffset(W, rcPercent.left) + szXY.cx;
        rcCtrl.top = m_rcItem.top + PercentOffset(H, rcPercent.top) + szXY.cy;
        rcCtrl.right = m_rcItem.left + PercentOffset(W, rcPercent.right) + sz.cx + szXY.cx;
        rcCtrl.bottom = m_rcItem.top + PercentOffset(H, rcPercent.bottom) + sz.cy + szXY.cy;
    } else {
        rcCtrl.left = m_rcItem.left + szXY.cx;
        rcCtrl.top = m_rcItem.top + szXY.cy;
        rcCtrl.right = rcCtrl.left + sz.cx;
        rcCtrl.bottom = rcCtrl.top + sz.cy;
        POINT ptPos = pControl->GetFloatPosition();
        if (ptPos.x != 0 && szXY.cx == 0) {
            rcCtrl.left = m_rcItem.left + ptPos.x * W / 100;
            rcCtrl.right = rcCtrl.left + sz.cx;
        }
        if (ptPos.y != 0 && szXY.cy == 0) {
            rcCtrl.top = m_rcItem.top + ptPos.y * H / 100;
            rcCtrl.bottom = rcCtrl.top + sz.cy;
        }
        if (pControl->GetFixedWidthPercent() != 0 && sz.cx == 0)
            rcCtrl.right = rcCtrl.left + pControl->GetFixedWidthPercent() * W / 100;
        if (pControl->GetFixedHeightPercent() != 0 && sz.cy == 0)
            rcCtrl.bottom = rcCtrl.top + pControl->GetFixedHeightPercent() * H / 100;
    }
    pControl->SetPos(rcCtrl, false);
}
