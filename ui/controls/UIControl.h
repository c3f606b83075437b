// The base of every element of a window's control tree: identity, geometry inputs
// and the computed rectangle, visual attributes, texts, state flags and the markup
// attribute parser shared by all controls.
#pragma once

#include "ui/controls/UIDelegate.h"
#include "ui/core/UIDefine.h"
#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

class CPaintManagerUI;
class CLangPackageUI;
class CControlUI;

typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI*, LPVOID);

// Alignment bits of children, floating controls and images; the same values as the
// DrawText flags DT_LEFT, DT_CENTER, DT_RIGHT, DT_TOP, DT_VCENTER and DT_BOTTOM.
enum : UINT {
    UIALIGN_LEFT = 0x0,
    UIALIGN_CENTER = 0x1,
    UIALIGN_RIGHT = 0x2,
    UIALIGN_TOP = 0x0,
    UIALIGN_VCENTER = 0x4,
    UIALIGN_BOTTOM = 0x8,
};

typedef struct tagTPercentInfo {
    double left;
    double top;
    double right;
    double bottom;
} TPercentInfo;

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    static CControlUI* CreateControl();

    virtual CUIString GetName() const;
    virtual void SetName(LPCTSTR pstrName);
    virtual LPCTSTR GetClass() const;
    virtual LPVOID GetInterface(LPCTSTR pstrName);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const;

    // Text; with a language package bound through the skin file, the package's text
    // for the resource id wins over the stored text when it is not empty.
    virtual CUIString GetText() const;
    virtual void SetText(LPCTSTR pstrText);
    virtual int GetTextN() const;
    virtual void SetTextN(int n);
    virtual void SetTextV(LPCTSTR lpszFormat, ...);
    virtual bool IsResourceText() const;
    virtual void SetResourceText(bool bResource);
    virtual int GetResourceID() const;
    virtual void SetResourceID(int iResourceID);
    virtual CLangPackageUI* GetLangPackage() const;
    virtual void SetSkinFile(LPCTSTR pstrSkinFile);
    virtual CUIString GetSkinFile() const;

    virtual bool IsDragEnabled() const;
    virtual void SetDragEnable(bool bDrag);
    virtual bool IsDropEnabled() const;
    virtual void SetDropEnable(bool bDrop);

    virtual void SetGradient(LPCTSTR pStrImage);
    virtual void SetBkImage(LPCTSTR pStrImage);

    // Geometry
    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const;
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual void Move(SIZE szOffset, bool bNeedInvalidate = true);
    virtual bool CalcPos(CControlUI* pChildControl, RECT& rc);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetFixedWidthPercent() const;
    virtual void SetFixedWidthPercent(int iPercent);
    virtual int GetFixedHeightPercent() const;
    virtual void SetFixedHeightPercent(int iPercent);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual TPercentInfo GetFloatPercent() const;
    virtual void SetFloatPercent(TPercentInfo piFloatPercent);
    virtual void SetFloatAlign(UINT uAlign);
    virtual UINT GetFloatAlign() const;
    virtual void SetFloatPosition(POINT ptPosition);
    virtual POINT GetFloatPosition() const;
    virtual bool IsAutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool bAutoCalcWidth);
    virtual bool IsAutoCalcHeight() const;
    virtual void SetAutoCalcHeight(bool bAutoCalcHeight);

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(LPCTSTR pstrText);
    virtual void SetToolTipWidth(int nWidth);
    virtual int GetToolTipWidth() const;
    virtual WORD GetCursor() const;
    virtual void SetCursor(WORD wCursor);
    virtual TCHAR GetShortcut() const;
    virtual void SetShortcut(TCHAR ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool bMenuUsed);
    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(LPCTSTR pstrText);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR pTag);

    // State
    virtual bool IsVisible() const;
    virtual void SetVisible(bool bVisible = true);
    virtual void SetInternVisible(bool bVisible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool bEnable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool bEnable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool bEnable = true);
    virtual bool IsFocused() const;
    virtual bool IsFloat() const;
    virtual void SetFloat(bool bFloat = true);
    virtual bool IsHot() const;
    virtual void SetHot(bool bHot);

    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    virtual void Init();
    virtual void DoInit();

    virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);
    virtual SIZE EstimateSize(SIZE szAvailable);

    virtual bool IsPaneVisible() const;
    virtual void SetAnimation(int nAnimation);
    virtual int GetAnimation() const;
    virtual void SetFrameCount(int nFrameCount);
    virtual int GetFrameCount() const;
    virtual void SetFrameDelay(int nDelay);
    virtual int GetFrameDelay() const;

    // Non-virtual operations
    CControlUI* ApplyAttributeList(LPCTSTR pstrList);

    CUIString GetVirtualWnd() const;
    void SetVirtualWnd(LPCTSTR pstrValue);

    bool IsUpdateNeeded() const;
    void NeedUpdate();
    void NeedParentUpdate();
    void Invalidate();

    DWORD GetBkColor() const;
    void SetBkColor(DWORD dwBackColor);
    DWORD GetBkColor2() const;
    void SetBkColor2(DWORD dwBackColor);
    DWORD GetBkColor3() const;
    void SetBkColor3(DWORD dwBackColor);
    DWORD GetHotBkColor() const;
    void SetHotBkColor(DWORD dwColor);
    DWORD GetFocusBkColor() const;
    void SetFocusBkColor(DWORD dwColor);
    DWORD GetForeColor() const;
    void SetForeColor(DWORD dwForeColor);
    CUIString GetGradient() const;
    CUIString GetBkImage() const;
    CUIString GetForeImage() const;
    void SetForeImage(LPCTSTR pStrImage);
    DWORD GetBorderColor() const;
    void SetBorderColor(DWORD dwBorderColor);
    DWORD GetFocusBorderColor() const;
    void SetFocusBorderColor(DWORD dwBorderColor);
    DWORD GetHotBorderColor() const;
    void SetHotBorderColor(DWORD dwColor);
    bool IsColorHSL() const;
    void SetColorHSL(bool bColorHSL);
    int GetBorderSize() const;
    void SetBorderSize(int nSize);
    void SetBorderSize(RECT rc);
    RECT GetBorderRectSize() const;
    int GetLeftBorderSize() const;
    void SetLeftBorderSize(int nSize);
    int GetTopBorderSize() const;
    void SetTopBorderSize(int nSize);
    int GetRightBorderSize() const;
    void SetRightBorderSize(int nSize);
    int GetBottomBorderSize() const;
    void SetBottomBorderSize(int nSize);
    int GetBorderStyle() const;
    void SetBorderStyle(int nStyle);
    SIZE GetBorderRound() const;
    void SetBorderRound(SIZE cxyRound);
    void setInstance(HINSTANCE instance);
    HINSTANCE getInstance() const;

    void AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr);
    LPCTSTR GetCustomAttribute(LPCTSTR pstrName) const;
    bool RemoveCustomAttribute(LPCTSTR pstrName);
    void RemoveAllCustomAttribute();

    CControlUI* GetExtraParent() const;
    void SetExtraParent(CControlUI* pParent);

    void __AddRef();
    void __ReleaseRef();

public:
    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;
    CEventSource OnPaint;

protected:
    // Scales a stored size through the manager's DPI object; identity without one.
    int ScaleValue(int value) const;
    RECT ScaleRect(RECT rc) const;

    CPaintManagerUI* m_pManager;
    CControlUI* m_pParent;
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bUpdateNeeded;
    bool m_bMenuUsed;
    RECT m_rcItem;
    RECT m_rcPadding;
    SIZE m_cXY;
    SIZE m_cxyFixed;
    SIZE m_cxyFixedPercent;
    SIZE m_cxyMin;
    SIZE m_cxyMax;
    bool m_bVisible;
    bool m_bInternVisible;
    bool m_bPaneVisible;
    bool m_bEnabled;
    bool m_bMouseEnabled;
    bool m_bKeyboardEnabled;
    bool m_bFocused;
    bool m_bFloat;
    bool m_bHot;
    TPercentInfo m_piFloatPercent;
    UINT m_uFloatAlign;
    POINT m_ptFloatPosition;
    bool m_bSetPos;
    bool m_bAutoCalcWidth;
    bool m_bAutoCalcHeight;
    bool m_bDragEnabled;
    bool m_bDropEnabled;
    bool m_bResourceText;
    int m_iResourceID;
    CUIString m_sSkinFile;
    CUIString m_sText;
    CUIString m_sToolTip;
    TCHAR m_chShortcut;
    CUIString m_sUserData;
    UINT_PTR m_pTag;
    CUIString m_sGradient;
    DWORD m_dwBackColor;
    DWORD m_dwBackColor2;
    DWORD m_dwBackColor3;
    DWORD m_dwHotBkColor;
    DWORD m_dwFocusBkColor;
    DWORD m_dwForeColor;
    CUIString m_sBkImage;
    CUIString m_sForeImage;
    DWORD m_dwBorderColor;
    DWORD m_dwFocusBorderColor;
    DWORD m_dwHotBorderColor;
    bool m_bColorHSL;
    int m_nBorderSize;
    int m_nBorderStyle;
    int m_nTooltipWidth;
    WORD m_wCursor;
    SIZE m_cxyBorderRound;
    RECT m_rcPaint;
    RECT m_rcBorderSize;
    HINSTANCE m_instance;
    CStdStringPtrMap m_mCustomAttrHash;
    int m_nAnimation;
    int m_nFrameCount;
    int m_nFrameDelay;
    SIZE m_szAnimationFull;
    SIZE m_szAnimationCurrent;
    int m_nRefCount;
    CControlUI* m_pExtraParent;
    // Depth of style and attribute-list application; a style that names itself
    // (directly or through others) would otherwise recurse without end.
    int m_nApplyDepth;
};
