#include "ui/controls/UIHorizontalLayout.h"

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

CHorizontalLayoutUI::CHorizontalLayoutUI()
    : m_iSepWidth(0), m_uButtonState(0), m_ptLastMouse{0, 0}, m_rcNewPos{0, 0, 0, 0}, m_bImmMode(false)
{
}

LPCTSTR CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (uiattr::EqualsNoCase(pstrName, L"HorizontalLayout")) return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const
{
    if (IsEnabled() && m_iSepWidth != 0) return UIFLAG_SETCURSOR;
    return 0;
}

void CHorizontalLayoutUI::SetSepWidth(int iHeight) { m_iSepWidth = iHeight; }

int CHorizontalLayoutUI::GetSepWidth() const { return ScaleValue(m_iSepWidth); }

void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately) { m_bImmMode = bImmediately; }

bool CHorizontalLayoutUI::IsSepImmMode() const { return m_bImmMode; }

void CHorizontalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (uiattr::EqualsNoCase(pstrName, L"sepwidth"))
        SetSepWidth(uiattr::ReadInt(pstrValue));
    else if (uiattr::EqualsNoCase(pstrName, L"sepimm"))
        SetSepImmMode(uiattr::ReadBool(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const RECT& rc = ((m_uButtonState & kStateCaptured) != 0 && bUseNew) ? m_rcNewPos : m_rcItem;
    const int sep = GetSepWidth();
    if (sep > 0) return RECT{rc.right - sep, rc.top, rc.right, rc.bottom};
    if (sep < 0) return RECT{rc.left, rc.top, rc.left - sep, rc.bottom};
    return RECT{0, 0, 0, 0};
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    Layout(nullptr, nullptr);
}

bool CHorizontalLayoutUI::CalcPos(CControlUI* pChildControl, RECT& rc)
{
    if (pChildControl == nullptr) return false;
    return Layout(pChildControl, &rc);
}

bool CHorizontalLayoutUI::Layout(CControlUI* pTarget, RECT* pOut)
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

    // Measuring pass: the fixed widths and the number of children that share the rest.
    int nAdjustables = 0;
    int cxFixed = 0;
    int nEstimateNum = 0;
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        const RECT pad = pControl->GetPadding();
        const int maxW = pControl->GetFixedWidth() > 0 ? pControl->GetFixedWidth() : pControl->GetMaxWidth();
        const int maxH = pControl->GetFixedHeight() > 0 ? pControl->GetFixedHeight() : pControl->GetMaxHeight();
        SIZE szLimit{szAvailable.cx, szAvailable.cy - pad.top - pad.bottom};
        if (szLimit.cx > maxW) szLimit.cx = maxW;
        if (szLimit.cy > maxH) szLimit.cy = maxH;
        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cx == 0 && pControl->GetFixedWidthPercent() > 0)
            sz.cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        if (sz.cx == 0)
            nAdjustables++;
        else
            sz.cx = ClampSize(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        cxFixed += pad.left + sz.cx + pad.right;
        nEstimateNum++;
    }
    cxFixed += (nEstimateNum - 1) * gap;

    int cxExpand = 0;
    if (nAdjustables > 0) {
        cxExpand = (szAvailable.cx - cxFixed) / nAdjustables;
        if (cxExpand < 0) cxExpand = 0;
    }

    int iPosX = rc.left;
    if (nAdjustables == 0) {
        if (m_iChildAlign == UIALIGN_CENTER)
            iPosX += (szAvailable.cx - cxFixed) / 2;
        else if (m_iChildAlign == UIALIGN_RIGHT)
            iPosX += szAvailable.cx - cxFixed;
    }

    // Placing pass: the last adjustable child absorbs the division remainder.
    int iEstimate = 0;
    int iAdjustable = 0;
    int cxFixedRemaining = cxFixed;
    int szRemaining = szAvailable.cx;
    for (int it = 0; it < m_items.GetSize(); it++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items.GetAt(it));
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            if (pTarget == nullptr) SetFloatPos(it);
            continue;
        }
        iEstimate++;
        const RECT pad = pControl->GetPadding();
        szRemaining -= pad.left;
        const int maxW = pControl->GetFixedWidth() > 0 ? pControl->GetFixedWidth() : pControl->GetMaxWidth();
        const int maxH = pControl->GetFixedHeight() > 0 ? pControl->GetFixedHeight() : pControl->GetMaxHeight();
        SIZE szLimit{szRemaining, szAvailable.cy - pad.top - pad.bottom};
        if (szLimit.cx > maxW) szLimit.cx = maxW;
        if (szLimit.cy > maxH) szLimit.cy = maxH;
        cxFixedRemaining -= pad.left + pad.right;
        if (iEstimate > 1) cxFixedRemaining -= gap;

        SIZE sz = pControl->EstimateSize(szLimit);
        if (sz.cx == 0 && pControl->GetFixedWidthPercent() > 0)
            sz.cx = pControl->GetFixedWidthPercent() * szAvailable.cx / 100;
        if (sz.cx == 0) {
            iAdjustable++;
            sz.cx = cxExpand;
            if (iAdjustable == nAdjustables) {
                sz.cx = szRemaining - pad.right - cxFixedRemaining;
                if (sz.cx < 0) sz.cx = 0;
            }
            sz.cx = ClampSize(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            sz.cx = ClampSize(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxFixedRemaining -= sz.cx;
        }

        if (sz.cy == 0 && pControl->GetFixedHeight() == 0 && pControl->GetFixedHeightPercent() > 0)
            sz.cy = pControl->GetFixedHeightPercent() * szAvailable.cy / 100;
        if (sz.cy == 0) sz.cy = szAvailable.cy - pad.top - pad.bottom;
        if (sz.cy < 0) sz.cy = 0;
        if (sz.cy > szLimit.cy) sz.cy = szLimit.cy;
        if (sz.cy < pControl->GetMinHeight()) sz.cy = pControl->GetMinHeight();

        RECT rcCtrl{iPosX + pad.left, 0, iPosX + pad.left + sz.cx, 0};
        if (m_iChildVAlign == UIALIGN_VCENTER) {
            const int iPosY = (rc.bottom + rc.top) / 2;
            rcCtrl.top = iPosY - sz.cy / 2;
            rcCtrl.bottom = rcCtrl.top + sz.cy;
        } else if (m_iChildVAlign == UIALIGN_BOTTOM) {
            rcCtrl.top = rc.bottom - sz.cy - pad.bottom;
            rcCtrl.bottom = rc.bottom - pad.bottom;
        } else {
            rcCtrl.top = rc.top + pad.top;
            rcCtrl.bottom = rcCtrl.top + sz.cy;
        }

        if (pTarget == nullptr) {
            pControl->SetPos(rcCtrl, false);
        } else if (pTarget == pControl) {
            *pOut = rcCtrl;
            return true;
        }

        iPosX += pad.left + sz.cx + pad.right + gap;
        szRemaining -= sz.cx + pad.right + gap;
    }
    return false;
}
