// A container that places its visible children in one column.
#pragma once

#include "ui/controls/UIContainer.h"

class CVerticalLayoutUI : public CContainerUI {
public:
    CVerticalLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetSepHeight(int iHeight);
    int GetSepHeight() const;
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    bool CalcPos(CControlUI* pChildControl, RECT& rc) override;

    RECT GetThumbRect(bool bUseNew = false) const;

protected:
    // One layout pass over the item rectangle. With pTarget null every child is
    // placed; otherwise nothing moves and the rectangle pTarget would get is
    // reported (false when pTarget is not a placed child).
    bool Layout(CControlUI* pTarget, RECT* pOut);

    int m_iSepHeight;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;
};
