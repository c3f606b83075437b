// A container that places its visible children in one row.
#pragma once

#include "ui/controls/UIContainer.h"

class CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void SetSepWidth(int iWidth);
    int GetSepWidth() const;
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    bool CalcPos(CControlUI* pChildControl, RECT& rc) override;

    RECT GetThumbRect(bool bUseNew = false) const;

protected:
    // One layout pass over the item rectangle; see CVerticalLayoutUI::Layout.
    bool Layout(CControlUI* pTarget, RECT* pOut);

    int m_iSepWidth;
    UINT m_uButtonState;
    POINT m_ptLastMouse;
    RECT m_rcNewPos;
    bool m_bImmMode;
};
