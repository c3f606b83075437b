#include "ui/controls/UIVerticalLayout.h"

#include <cwchar>

#include "ui/controls/UIAttributeValue.h"

namespace {

// State bit of a separator drag in progress.
const UINT kStateCaptured = 0x40;

int ClampSize(int v, int lo, int hi)
{
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI()
    : m_iSepHeight(0), m_uButtonState(0), m_ptLastMouse{0, 0}, m_rcNewPos{0, 0, 0, 0}, m_bImmMode(false)
{
}

LPCTSTR CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (uiattr::EqualsNoCase(pstrName, L"VerticalLayout")) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetControlFlags() const
{
    if (IsEnabled() && m_iSepHeight != 0) return UIFLAG_SETCURSOR;
    return 0;
}

void CVerticalLayoutUI::SetSepHeight(int iHeight) { m_iSepHeight = iHeight; }

int CVerticalLayoutUI::GetSepHeight() const { return ScaleValue(m_iSepHeight); }

void CVerticalLayoutUI::SetSepImmMode(bool bImmediately) { m_bImmMode = bImmediately; }

bool CVerticalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CVerticalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (uiattr::EqualsNoCase(pstrName, L"sepheight"))
        SetSepHeight(uiattr::ReadInt(pstrValue));
    else if (uiattr::EqualsNoCase(pstrName, L"sepimm"))
        SetSepImmMode(uiattr::ReadBool(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const RECT& rc = ((m_uButtonState & kStateCaptured) != 0 && bUseNew) ? m_rcNewPos : m_rcItem;
    const int sep = GetSepHeight();
    if (sep > 0) return RECT{rc.left, rc.bottom - sep, rc.right, rc.bottom};
    if (sep < 0) return RECT{rc.left, rc.top, rc.right, rc.top - sep};
    return RECT{0, 0, 0, 0};
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    Layout(nullptr, nullptr);
}

bool CVerticalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rc)
{
    if (pChildControl == nullptr) return false;
    return Layout(pChildControl, &rc);
}

bool CVerticalLayoutUI::Layout(CControlUI* pTarget, RECT* pOut)
{
    RECT rc = m_rcItem;
    const RECT rcInset = GetInset();
    rc.left += rcInset.left;
    rc.top += rcInset.top;
    rc.right -= rcInset.right;
    rc.bottom -= rcInset.bottom;
    if (m_items.IsEmpty()) return false;

    const SIZE szAvailable{rc.right - rc.left, rc.bottom - rc.top};
    const int gap = m_iChildPadding;

    // Measuring pass: the fixed heights and the number of children that share the rest.
    int nAdjustables = 0;
    int cyFixed = 0;
    int nEstimateNum = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        const RECT pad = pControl->GetPadding();
        const int maxW = pControl->GetFixedWidth() > 0 ? pControl->GetFixedWidth() : pControl->GetMaxWidth();
        const int maxH = pControl->GetFixedHeight() > 0 ? pControl->GetFixedHeight() : pControl->GetMaxHeight();
        SIZE szLimit{szAvailable.cx - pad.left - pad.right, szAvailable.cy};
        if (szLimit.cx > maxW) szLimit.cx = maxW;
        if (szLimit.cy > maxH) szLimit.cy = maxH;
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cy == 0 && pControl->GetFixedHeightPercent() > 0)
            sz.cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        if (sz.cy == 0)
            nAdjustables++;
        else
            sz.cy = ClampSize(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        cyFixed += pad.top + sz.cy + pad.bottom;
        nEstimateNum++;
    }
    cyFixed += (nEstimateNum - 1) * gap;

    int cyExpand = 0;
    if (nAdjustables > 0) {
        cyExpand = (szAvailable.cy - cyFixed) / nAdjustables;
        if (cyExpand < 0) cyExpand = 0;
    }

    int iPosY = rc.top;
    if (nAdjustables == 0) {
        if (m_iChildVAlign == UIALIGN_VCENTER)
            iPosY += (szAvailable.cy - cyFixed) / 2;
        else if (m_iChildVAlign == UIALIGN_BOTTOM)
            iPosY += szAvailable.cy - cyFixed;
    }

    // Placing pass: the last adjustable child absorbs the division remainder.
    int iEstimate = 0;
    int iAdjustable = 0;
    int cyFixedRemaining = cyFixed;
    int szRemaining = szAvailable.cy;
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            if (pTarget == nullptr) SetFloatPos(it);
            continue;
        }
        iEstimate++;
        const RECT pad = pControl->GetPadding();
        szRemaining -= pad.top;
        const int maxW = pControl->GetFixedWidth() > 0 ? pControl->GetFixedWidth() : pControl->GetMaxWidth();
        const int maxH = pControl->GetFixedHeight() > 0 ? pControl->GetFixedHeight() : pControl->GetMaxHeight();
        SIZE szLimit{szAvailable.cx - pad.left - pad.right, szRemaining};
        if (szLimit.cx > maxW) szLimit.cx = maxW;
        if (szLimit.cy > maxH) szLimit.cy = maxH;
        cyFixedRemaining -= pad.top + pad.bottom;
        if (iEstimate > 1) cyFixedRemaining -= gap;

        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cy == 0 && pControl->GetFixedHeightPercent() > 0)
            sz.cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        if (sz.cy == 0) {
            iAdjustable++;
            sz.cy = cyExpand;
            if (iAdjustable == nAdjustables) {
                sz.cy = szRemaining - pad.bottom - cyFixedRemaining;
                if (sz.cy < 0) sz.cy = 0;
            }
            sz.cy = ClampSize(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            sz.cy = ClampSize(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= sz.cy;
        }

        if (sz.cx < 0) sz.cx = 0;
        if (sz.cx == 0 && pControl->GetFixedWidth() == 0 && pControl->GetFixedWidthPercent() > 0)
            sz.cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        if (sz.cx == 0) sz.cx = szAvailable.cx - pad.left - pad.right;
        if (sz.cx > szLimit.cx) sz.cx = szLimit.cx;
        if (sz.cx < pControl->GetMinWidth()) sz.cx = pControl->GetMinWidth();

        RECT rcCtrl{0, iPosY + pad.top, 0, iPosY + pad.top + sz.cy};
        if (m_iChildAlign == UIALIGN_CENTER) {
            const int iPosX = (rc.right + rc.left) / 2;
            rcCtrl.left = iPosX - sz.cx / 2;
            rcCtrl.right = rcCtrl.left + sz.cx;
        } else if (m_iChildAlign == UIALIGN_RIGHT) {
            rcCtrl.left = rc.right - sz.cx - pad.right;
            rcCtrl.right = rc.right - pad.right;
        } else {
            rcCtrl.left = rc.left + pad.left;
            rcCtrl.right = rcCtrl.left + sz.cx;
        }

        if (pTarget == nullptr) {
            pControl->SetPos(rcCtrl, false);
        } else if (pTarget == pControl) {
            *pOut = rcCtrl;
            return true;
        }

        iPosY += pad.top + sz.cy + pad.bottom + gap;
        szRemaining -= sz.cy + pad.bottom + gap;
    }
    return false;
}
