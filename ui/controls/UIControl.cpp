#include "ui/controls/UIControl.h"

#include <climits>
#include <cwchar>

#include "ui/controls/UIAttributeValue.h"
#include "ui/core/UIManager.h"
#include "ui/markup/UILanguage.h"

using uiattr::EqualsNoCase;

namespace {

// Nested style application deeper than this is a style that refers to itself.
const int kMaxApplyDepth = 16;

// right - left of markup numbers, which may be anything an int holds.
int SaturatingDiff(int right, int left)
{
    long long d = static_cast<long long>(right) - left;
    return d > INT_MAX ? INT_MAX : d < INT_MIN ? INT_MIN : static_cast<int>(d);
}

bool IsRectEmptyRect(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }

bool IntersectRects(RECT& dst, const RECT& a, const RECT& b)
{
    dst.left = a.left > b.left ? a.left : b.left;
    dst.top = a.top > b.top ? a.top : b.top;
    dst.right = a.right < b.right ? a.right : b.right;
    dst.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (IsRectEmptyRect(dst)) {
        dst = RECT{0, 0, 0, 0};
        return false;
    }
    return true;
}

void UnionRects(RECT& dst, const RECT& a, const RECT& b)
{
    if (IsRectEmptyRect(a)) {
        dst = b;
        return;
    }
    if (IsRectEmptyRect(b)) {
        dst = a;
        return;
    }
    dst.left = a.left < b.left ? a.left : b.left;
    dst.top = a.top < b.top ? a.top : b.top;
    dst.right = a.right > b.right ? a.right : b.right;
    dst.bottom = a.bottom > b.bottom ? a.bottom : b.bottom;
}

struct CursorName {
    const wchar_t* name;
    WORD id;
};

const CursorName kCursors[] = {
    {L"arrow", 32512},    {L"ibeam", 32513},    {L"wait", 32514},     {L"cross", 32515},   {L"uparrow", 32516},
    {L"size", 32640},     {L"icon", 32641},     {L"sizenwse", 32642}, {L"sizenesw", 32643}, {L"sizewe", 32644},
    {L"sizens", 32645},   {L"sizeall", 32646},  {L"no", 32648},       {L"hand", 32649},
};

const wchar_t* const kScriptHooks[] = {
    L"OnInit",          L"OnEvent",           L"OnNotify",          L"OnDestroy",       L"OnSize",
    L"OnPaint",         L"OnPaintBkColor",    L"OnPaintBkImage",    L"OnPaintStatusImage",
    L"OnPaintForeColor", L"OnPaintForeImage", L"OnPaintText",       L"OnPaintBorder",
};

// Splits the next word of a "floatalign" value at commas or blanks.
LPCTSTR NextWord(LPCTSTR p, CUIString& word)
{
    word.Empty();
    while (*p == L',' || *p == L' ') p++;
    LPCTSTR start = p;
    while (*p != L'\0' && *p != L',' && *p != L' ') p++;
    word.Assign(start, static_cast<int>(p - start));
    return p;
}

} // namespace

CControlUI::CControlUI()
    : m_pManager(nullptr), m_pParent(nullptr), m_bUpdateNeeded(true), m_bMenuUsed(false), m_rcItem{0, 0, 0, 0},
      m_rcPadding{0, 0, 0, 0}, m_cXY{0, 0}, m_cxyFixed{0, 0}, m_cxyFixedPercent{0, 0}, m_cxyMin{0, 0},
      m_cxyMax{9999, 9999}, m_bVisible(true), m_bInternVisible(true), m_bPaneVisible(true), m_bEnabled(true),
      m_bMouseEnabled(true), m_bKeyboardEnabled(true), m_bFocused(false), m_bFloat(false), m_bHot(false),
      m_piFloatPercent{0.0, 0.0, 0.0, 0.0}, m_uFloatAlign(0), m_ptFloatPosition{0, 0}, m_bSetPos(false),
      m_bAutoCalcWidth(false), m_bAutoCalcHeight(false), m_bDragEnabled(false), m_bDropEnabled(false),
      m_bResourceText(false), m_iResourceID(0), m_chShortcut(L'\0'), m_pTag(0), m_dwBackColor(0), m_dwBackColor2(0),
      m_dwBackColor3(0), m_dwHotBkColor(0), m_dwFocusBkColor(0), m_dwForeColor(0), m_dwBorderColor(0),
      m_dwFocusBorderColor(0), m_dwHotBorderColor(0), m_bColorHSL(false), m_nBorderSize(0), m_nBorderStyle(0),
      m_nTooltipWidth(300), m_wCursor(0), m_cxyBorderRound{0, 0}, m_rcPaint{0, 0, 0, 0}, m_rcBorderSize{0, 0, 0, 0},
      m_instance(nullptr), m_mCustomAttrHash(83), m_nAnimation(0), m_nFrameCount(24), m_nFrameDelay(5),
      m_szAnimationFull{0, 0}, m_szAnimationCurrent{0, 0}, m_nRefCount(1), m_pExtraParent(nullptr),
      m_nApplyDepth(0)
{
}

CControlUI::~CControlUI()
{
    if (OnDestroy) OnDestroy(this);
    RemoveAllCustomAttribute();
}

CControlUI* CControlUI::CreateControl() { return new CControlUI(); }

CUIString CControlUI::GetName() const { return m_sName; }

void CControlUI::SetName(LPCTSTR pstrName) { m_sName = pstrName; }

LPCTSTR CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (EqualsNoCase(pstrName, L"Control")) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent != nullptr) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

CUIString CControlUI::GetText() const
{
    return UIResolveControlText(m_pManager, m_sSkinFile, m_iResourceID, m_bResourceText, m_sText, UILangText::Text);
}

void CControlUI::SetText(LPCTSTR pstrText)
{
    if (pstrText == nullptr) pstrText = L"";
    if (m_sText == pstrText) return;
    m_sText = pstrText;
    m_sText.Replace(L"{\\n}", L"\n");
    Invalidate();
}

int CControlUI::GetTextN() const { return uiattr::ReadInt(GetText()); }

void CControlUI::SetTextN(int n)
{
    CUIString s;
    s.Format(L"%d", n);
    SetText(s);
}

void CControlUI::SetTextV(LPCTSTR lpszFormat, ...)
{
    if (lpszFormat == nullptr) return;
    va_list args;
    va_start(args, lpszFormat);
    va_list measure;
    va_copy(measure, args);
    int n = _vscwprintf(lpszFormat, measure);
    va_end(measure);
    if (n < 0) {
        va_end(args);
        return;
    }
    wchar_t* buffer = new wchar_t[n + 1];
    _vsnwprintf(buffer, n + 1, lpszFormat, args);
    buffer[n] = L'\0';
    va_end(args);
    SetText(buffer);
    delete[] buffer;
}

bool CControlUI::IsResourceText() const { return m_bResourceText; }

void CControlUI::SetResourceText(bool bResource)
{
    if (m_bResourceText == bResource) return;
    m_bResourceText = bResource;
    Invalidate();
}

int CControlUI::GetResourceID() const { return m_iResourceID; }

void CControlUI::SetResourceID(int iResourceID)
{
    if (m_iResourceID == iResourceID) return;
    m_iResourceID = iResourceID;
    Invalidate();
}

CLangPackageUI* CControlUI::GetLangPackage() const { return UIGetLangPackage(m_pManager, m_sSkinFile); }

void CControlUI::SetSkinFile(LPCTSTR pstrSkinFile) { m_sSkinFile = pstrSkinFile; }

CUIString CControlUI::GetSkinFile() const { return m_sSkinFile; }

bool CControlUI::IsDragEnabled() const { return m_bDragEnabled; }

void CControlUI::SetDragEnable(bool bDrag) { m_bDragEnabled = bDrag; }

bool CControlUI::IsDropEnabled() const { return m_bDropEnabled; }

void CControlUI::SetDropEnable(bool bDrop) { m_bDropEnabled = bDrop; }

void CControlUI::SetGradient(LPCTSTR pStrImage)
{
    if (m_sGradient == pStrImage) return;
    m_sGradient = pStrImage;
    Invalidate();
}

void CControlUI::SetBkImage(LPCTSTR pStrImage)
{
    if (m_pManager != nullptr) m_pManager->RemoveImage(pStrImage);
    if (m_sBkImage == pStrImage) return;
    m_sBkImage = pStrImage;
    Invalidate();
}

RECT CControlUI::GetRelativePos() const
{
    if (m_pParent == nullptr) return RECT{0, 0, 0, 0};
    RECT rcParent = m_pParent->GetPos();
    RECT rc = m_rcItem;
    rc.left -= rcParent.left;
    rc.right -= rcParent.left;
    rc.top -= rcParent.top;
    rc.bottom -= rcParent.top;
    return rc;
}

RECT CControlUI::GetClientPos() const { return m_rcItem; }

const RECT& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;

    RECT invalidateRc = IsRectEmptyRect(m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (m_pManager == nullptr) return;

    if (!m_bSetPos) {
        m_bSetPos = true;
        if (OnSize) OnSize(this);
        m_bSetPos = false;
    }

    m_bUpdateNeeded = false;

    if (bNeedInvalidate && IsVisible()) {
        UnionRects(invalidateRc, invalidateRc, m_rcItem);
        for (CControlUI* pParent = GetParent(); pParent != nullptr; pParent = pParent->GetParent()) {
            if (!pParent->IsVisible()) return;
            if (!IntersectRects(invalidateRc, invalidateRc, pParent->GetPos())) return;
        }
        m_pManager->Invalidate(invalidateRc);
    }
}

void CControlUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    m_cXY.cx += szOffset.cx;
    m_cXY.cy += szOffset.cy;
    NeedParentUpdate();
}

bool CControlUI::CalcPos(CControlUI* pChildControl, RECT& rc) { return false; }

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }

int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }

int CControlUI::GetX() const { return m_rcItem.left; }

int CControlUI::GetY() const { return m_rcItem.top; }

int CControlUI::ScaleValue(int value) const
{
    if (m_pManager == nullptr) return value;
    return m_pManager->GetDPIObj()->Scale(value);
}

RECT CControlUI::ScaleRect(RECT rc) const
{
    if (m_pManager == nullptr) return rc;
    m_pManager->GetDPIObj()->Scale(&rc);
    return rc;
}

RECT CControlUI::GetPadding() const
{
    // Padding is four independent widths, not a rectangle: scale each one.
    return RECT{ScaleValue(m_rcPadding.left), ScaleValue(m_rcPadding.top), ScaleValue(m_rcPadding.right),
                ScaleValue(m_rcPadding.bottom)};
}

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return SIZE{ScaleValue(m_cXY.cx), ScaleValue(m_cXY.cy)}; }

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY = szXY;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return ScaleValue(m_cxyFixed.cx); }

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return ScaleValue(m_cxyFixed.cy); }

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidthPercent() const { return m_cxyFixedPercent.cx; }

void CControlUI::SetFixedWidthPercent(int iPercent)
{
    if (iPercent < 0 || iPercent > 100) return;
    m_cxyFixedPercent.cx = iPercent;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeightPercent() const { return m_cxyFixedPercent.cy; }

void CControlUI::SetFixedHeightPercent(int iPercent)
{
    if (iPercent < 0 || iPercent > 100) return;
    m_cxyFixedPercent.cy = iPercent;
    NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return ScaleValue(m_cxyMin.cx); }

void CControlUI::SetMinWidth(int cx)
{
    if (m_cxyMin.cx == cx || cx < 0) return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMaxWidth() const { return ScaleValue(m_cxyMax.cx); }

void CControlUI::SetMaxWidth(int cx)
{
    if (m_cxyMax.cx == cx || cx < 0) return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMinHeight() const { return ScaleValue(m_cxyMin.cy); }

void CControlUI::SetMinHeight(int cy)
{
    if (m_cxyMin.cy == cy || cy < 0) return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMaxHeight() const { return ScaleValue(m_cxyMax.cy); }

void CControlUI::SetMaxHeight(int cy)
{
    if (m_cxyMax.cy == cy || cy < 0) return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

TPercentInfo CControlUI::GetFloatPercent() const { return m_piFloatPercent; }

void CControlUI::SetFloatPercent(TPercentInfo piFloatPercent)
{
    m_piFloatPercent = piFloatPercent;
    NeedParentUpdate();
}

void CControlUI::SetFloatAlign(UINT uAlign)
{
    m_uFloatAlign = uAlign;
    NeedParentUpdate();
}

UINT CControlUI::GetFloatAlign() const { return m_uFloatAlign; }

void CControlUI::SetFloatPosition(POINT ptPosition)
{
    m_ptFloatPosition = ptPosition;
    NeedParentUpdate();
}

POINT CControlUI::GetFloatPosition() const { return m_ptFloatPosition; }

bool CControlUI::IsAutoCalcWidth() const { return m_bAutoCalcWidth; }

void CControlUI::SetAutoCalcWidth(bool bAutoCalcWidth) { m_bAutoCalcWidth = bAutoCalcWidth; }

bool CControlUI::IsAutoCalcHeight() const { return m_bAutoCalcHeight; }

void CControlUI::SetAutoCalcHeight(bool bAutoCalcHeight) { m_bAutoCalcHeight = bAutoCalcHeight; }

CUIString CControlUI::GetToolTip() const
{
    return UIResolveControlText(m_pManager, m_sSkinFile, m_iResourceID, m_bResourceText, m_sToolTip,
                                UILangText::ToolTip);
}

void CControlUI::SetToolTip(LPCTSTR pstrText)
{
    CUIString strTemp(pstrText != nullptr ? pstrText : L"");
    strTemp.Replace(L"<n>", L"\r\n");
    m_sToolTip = strTemp;
}

void CControlUI::SetToolTipWidth(int nWidth) { m_nTooltipWidth = nWidth; }

int CControlUI::GetToolTipWidth() const { return ScaleValue(m_nTooltipWidth); }

WORD CControlUI::GetCursor() const { return m_wCursor; }

void CControlUI::SetCursor(WORD wCursor)
{
    m_wCursor = wCursor;
    Invalidate();
}

TCHAR CControlUI::GetShortcut() const { return m_chShortcut; }

void CControlUI::SetShortcut(TCHAR ch) { m_chShortcut = ch; }

bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }

void CControlUI::SetContextMenuUsed(bool bMenuUsed) { m_bMenuUsed = bMenuUsed; }

const CUIString& CControlUI::GetUserData() const { return m_sUserData; }

void CControlUI::SetUserData(LPCTSTR pstrText) { m_sUserData = pstrText; }

UINT_PTR CControlUI::GetTag() const { return m_pTag; }

void CControlUI::SetTag(UINT_PTR pTag) { m_pTag = pTag; }

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    bool v = IsVisible();
    m_bVisible = bVisible;
    m_bFocused = false;
    if (IsVisible() != v) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled) return;
    m_bEnabled = bEnabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }

void CControlUI::SetMouseEnabled(bool bEnabled) { m_bMouseEnabled = bEnabled; }

bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }

void CControlUI::SetKeyboardEnabled(bool bEnabled) { m_bKeyboardEnabled = bEnabled; }

bool CControlUI::IsFocused() const { return m_bFocused; }

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

bool CControlUI::IsHot() const { return m_bHot; }

void CControlUI::SetHot(bool bHot) { m_bHot = bHot; }

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0) {
        if (!m_bMouseEnabled || pData == nullptr) return nullptr;
        const POINT& pt = *static_cast<const POINT*>(pData);
        if (pt.x < m_rcItem.left || pt.x >= m_rcItem.right || pt.y < m_rcItem.top || pt.y >= m_rcItem.bottom)
            return nullptr;
    }
    return Proc(this, pData);
}

void CControlUI::Init()
{
    DoInit();
    if (OnInit) OnInit(this);
}

void CControlUI::DoInit() {}

SIZE CControlUI::EstimateSize(SIZE szAvailable)
{
    if (!m_bPaneVisible) return m_szAnimationCurrent;
    return SIZE{GetFixedWidth(), GetFixedHeight()};
}

bool CControlUI::IsPaneVisible() const { return m_bPaneVisible; }

void CControlUI::SetAnimation(int nAnimation) { m_nAnimation = nAnimation; }

int CControlUI::GetAnimation() const { return m_nAnimation; }

void CControlUI::SetFrameCount(int nFrameCount) { m_nFrameCount = nFrameCount; }

int CControlUI::GetFrameCount() const { return m_nFrameCount; }

void CControlUI::SetFrameDelay(int nDelay) { m_nFrameDelay = nDelay; }

int CControlUI::GetFrameDelay() const { return m_nFrameDelay; }

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (pstrValue == nullptr) pstrValue = L"";

    // A value that names a style applies that style, whatever the attribute is.
    if (m_pManager != nullptr) {
        LPCTSTR pStyle = m_pManager->GetStyle(pstrValue);
        if (pStyle != nullptr) {
            ApplyAttributeList(pStyle);
            return;
        }
    }

    if (EqualsNoCase(pstrName, L"pos")) {
        int v[4];
        uiattr::ReadInts(pstrValue, v, 4);
        SetFixedXY(SIZE{v[0] >= 0 ? v[0] : v[2], v[1] >= 0 ? v[1] : v[3]});
        SetFixedWidth(SaturatingDiff(v[2], v[0]));
        SetFixedHeight(SaturatingDiff(v[3], v[1]));
    } else if (EqualsNoCase(pstrName, L"float")) {
        if (wcschr(pstrValue, L',') == nullptr) {
            SetFloat(uiattr::ReadBool(pstrValue));
        } else {
            double v[4];
            uiattr::ReadReals(pstrValue, v, 4);
            SetFloatPercent(TPercentInfo{v[0], v[1], v[2], v[3]});
            SetFloat(true);
        }
    } else if (EqualsNoCase(pstrName, L"floatpercent")) {
        int v[4];
        uiattr::ReadInts(pstrValue, v, 4);
        SetFloatPercent(TPercentInfo{v[0] / 100.0, v[1] / 100.0, v[2] / 100.0, v[3] / 100.0});
    } else if (EqualsNoCase(pstrName, L"floatalign")) {
        UINT uAlign = GetFloatAlign();
        CUIString word;
        LPCTSTR p = pstrValue;
        while (*p != L'\0') {
            p = NextWord(p, word);
            if (word.IsEmpty()) break;
            if (word.CompareNoCase(L"null") == 0) {
                uAlign = 0;
            } else if (word.CompareNoCase(L"left") == 0) {
                uAlign &= ~(UIALIGN_CENTER | UIALIGN_RIGHT);
            } else if (word.CompareNoCase(L"center") == 0) {
                uAlign &= ~UIALIGN_RIGHT;
                uAlign |= UIALIGN_CENTER;
            } else if (word.CompareNoCase(L"right") == 0) {
                uAlign &= ~UIALIGN_CENTER;
                uAlign |= UIALIGN_RIGHT;
            } else if (word.CompareNoCase(L"top") == 0) {
                uAlign &= ~(UIALIGN_VCENTER | UIALIGN_BOTTOM);
            } else if (word.CompareNoCase(L"vcenter") == 0) {
                uAlign &= ~UIALIGN_BOTTOM;
                uAlign |= UIALIGN_VCENTER;
            } else if (word.CompareNoCase(L"bottom") == 0) {
                uAlign &= ~UIALIGN_VCENTER;
                uAlign |= UIALIGN_BOTTOM;
            }
        }
        SetFloatAlign(uAlign);
    } else if (EqualsNoCase(pstrName, L"floatvalign")) {
        UINT uAlign = GetFloatAlign() & ~(UIALIGN_VCENTER | UIALIGN_BOTTOM);
        if (wcsstr(pstrValue, L"top") != nullptr) {
            SetFloatAlign(uAlign);
        } else if (wcsstr(pstrValue, L"vcenter") != nullptr) {
            SetFloatAlign(uAlign | UIALIGN_VCENTER);
        } else if (wcsstr(pstrValue, L"bottom") != nullptr) {
            SetFloatAlign(uAlign | UIALIGN_BOTTOM);
        }
    } else if (EqualsNoCase(pstrName, L"floatposition")) {
        int v[2];
        uiattr::ReadInts(pstrValue, v, 2);
        SetFloatPosition(POINT{v[0], v[1]});
    } else if (EqualsNoCase(pstrName, L"padding")) {
        int v[4];
        uiattr::ReadInts(pstrValue, v, 4);
        SetPadding(RECT{v[0], v[1], v[2], v[3]});
    } else if (EqualsNoCase(pstrName, L"gradient")) {
        SetGradient(pstrValue);
    } else if (EqualsNoCase(pstrName, L"bkcolor") || EqualsNoCase(pstrName, L"bkcolor1")) {
        SetBkColor(uiattr::ReadColor(pstrValue, true));
    } else if (EqualsNoCase(pstrName, L"bkcolor2")) {
        SetBkColor2(uiattr::ReadColor(pstrValue, true));
    } else if (EqualsNoCase(pstrName, L"bkcolor3")) {
        SetBkColor3(uiattr::ReadColor(pstrValue, true));
    } else if (EqualsNoCase(pstrName, L"hotbkcolor")) {
        SetHotBkColor(uiattr::ReadColor(pstrValue, false));
    } else if (EqualsNoCase(pstrName, L"focusbkcolor")) {
        SetFocusBkColor(uiattr::ReadColor(pstrValue, false));
    } else if (EqualsNoCase(pstrName, L"forecolor")) {
        SetForeColor(uiattr::ReadColor(pstrValue, true));
    } else if (EqualsNoCase(pstrName, L"bordercolor")) {
        SetBorderColor(uiattr::ReadColor(pstrValue, false));
    } else if (EqualsNoCase(pstrName, L"focusbordercolor")) {
        SetFocusBorderColor(uiattr::ReadColor(pstrValue, false));
    } else if (EqualsNoCase(pstrName, L"hotbordercolor")) {
        SetHotBorderColor(uiattr::ReadColor(pstrValue, false));
    } else if (EqualsNoCase(pstrName, L"colorhsl")) {
        SetColorHSL(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"bordersize")) {
        if (wcschr(pstrValue, L',') == nullptr) {
            SetBorderSize(uiattr::ReadInt(pstrValue));
            SetBorderSize(RECT{0, 0, 0, 0});
        } else {
            int v[4];
            uiattr::ReadInts(pstrValue, v, 4);
            SetBorderSize(RECT{v[0], v[1], v[2], v[3]});
        }
    } else if (EqualsNoCase(pstrName, L"leftbordersize")) {
        SetLeftBorderSize(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"topbordersize")) {
        SetTopBorderSize(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"rightbordersize")) {
        SetRightBorderSize(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"bottombordersize")) {
        SetBottomBorderSize(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"borderstyle")) {
        SetBorderStyle(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"borderround")) {
        int v[2];
        uiattr::ReadInts(pstrValue, v, 2);
        SetBorderRound(SIZE{v[0], v[1]});
    } else if (EqualsNoCase(pstrName, L"bkimage")) {
        SetBkImage(pstrValue);
    } else if (EqualsNoCase(pstrName, L"foreimage")) {
        SetForeImage(pstrValue);
    } else if (EqualsNoCase(pstrName, L"width")) {
        SetFixedWidth(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"height")) {
        SetFixedHeight(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"widthpercent")) {
        SetFixedWidthPercent(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"heightpercent")) {
        SetFixedHeightPercent(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"minwidth")) {
        SetMinWidth(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"minheight")) {
        SetMinHeight(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"maxwidth")) {
        SetMaxWidth(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"maxheight")) {
        SetMaxHeight(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"name")) {
        SetName(pstrValue);
    } else if (EqualsNoCase(pstrName, L"drag")) {
        SetDragEnable(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"drop")) {
        SetDropEnable(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"resourcetext")) {
        SetResourceText(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"resourceid")) {
        SetResourceID(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"text")) {
        SetText(pstrValue);
    } else if (EqualsNoCase(pstrName, L"tooltip")) {
        SetToolTip(pstrValue);
    } else if (EqualsNoCase(pstrName, L"userdata")) {
        SetUserData(pstrValue);
    } else if (EqualsNoCase(pstrName, L"enabled")) {
        SetEnabled(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"mouse")) {
        SetMouseEnabled(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"keyboard")) {
        SetKeyboardEnabled(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"visible")) {
        SetVisible(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"shortcut")) {
        SetShortcut(pstrValue[0]);
    } else if (EqualsNoCase(pstrName, L"menu")) {
        SetContextMenuUsed(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"cursor")) {
        for (const CursorName& c : kCursors) {
            if (EqualsNoCase(pstrValue, c.name)) {
                SetCursor(c.id);
                break;
            }
        }
    } else if (EqualsNoCase(pstrName, L"virtualwnd")) {
        SetVirtualWnd(pstrValue);
    } else if (EqualsNoCase(pstrName, L"innerstyle")) {
        CUIString sList(pstrValue);
        sList.Replace(L"&quot;", L"\"");
        LPCTSTR p = sList;
        // Simple pairs: name="value" where a value runs to the next double quote.
        while (*p != L'\0') {
            LPCTSTR nameStart = p;
            while (*p != L'\0' && *p != L'=') p++;
            if (*p != L'=') break;
            CUIString sName;
            sName.Assign(nameStart, static_cast<int>(p - nameStart));
            p++;
            if (*p != L'"') break;
            p++;
            LPCTSTR valueStart = p;
            while (*p != L'\0' && *p != L'"') p++;
            if (*p != L'"') break;
            CUIString sValue;
            sValue.Assign(valueStart, static_cast<int>(p - valueStart));
            p++;
            SetAttribute(sName, sValue);
            if (*p != L' ' && *p != L',') break;
            p++;
        }
    } else if (EqualsNoCase(pstrName, L"autocalcwidth")) {
        SetAutoCalcWidth(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"autocalcheight")) {
        SetAutoCalcHeight(uiattr::ReadBool(pstrValue));
    } else if (EqualsNoCase(pstrName, L"animation")) {
        static const wchar_t* const kAnimations[] = {L"null",           L"vertical",        L"horizontal", L"scalevertical",
                                                     L"scalehorizontal", L"scalesize", L"alpha"};
        for (int i = 0; i < 7; i++) {
            if (EqualsNoCase(pstrValue, kAnimations[i])) {
                SetAnimation(i);
                break;
            }
        }
    } else if (EqualsNoCase(pstrName, L"framecount")) {
        SetFrameCount(uiattr::ReadInt(pstrValue));
    } else if (EqualsNoCase(pstrName, L"framedelay")) {
        SetFrameDelay(uiattr::ReadInt(pstrValue));
    } else {
        // Script hooks bind to the script engine's functions; without a script engine
        // every binding is empty, so the attribute is consumed and changes nothing.
        for (const wchar_t* hook : kScriptHooks) {
            if (wcscmp(pstrName, hook) == 0) return;
        }
        AddCustomAttribute(pstrName, pstrValue);
    }
}

CControlUI* CControlUI::ApplyAttributeList(LPCTSTR pstrValue)
{
    if (pstrValue == nullptr) return this;
    if (m_nApplyDepth >= kMaxApplyDepth) return this;
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { depth++; }
        ~DepthGuard() { depth--; }
    } guard(m_nApplyDepth);

    if (m_pManager != nullptr) {
        LPCTSTR pStyle = m_pManager->GetStyle(pstrValue);
        if (pStyle != nullptr) return ApplyAttributeList(pStyle);
    }

    CUIString sList(pstrValue);
    sList.Replace(L"&quot;", L"\"");
    LPCTSTR p = sList;
    while (*p != L'\0') {
        // The name is everything up to "=", blanks included.
        LPCTSTR nameStart = p;
        while (*p != L'\0' && *p != L'=') p++;
        if (*p == L'\0') break;
        CUIString sName;
        sName.Assign(nameStart, static_cast<int>(p - nameStart));
        p++;
        if (*p != L'"') break;
        p++;

        // The value ends at a quote, except for quotes that pair up after an inner
        // "=", so image descriptions keep their single-quoted parts.
        CUIString sValue;
        bool seenEquals = false;
        bool inNested = false;
        while (*p != L'\0') {
            wchar_t c = *p;
            if (c == L'"' || c == L'\'') {
                if (inNested) {
                    inNested = false;
                    seenEquals = false;
                } else if (seenEquals) {
                    inNested = true;
                } else {
                    break;
                }
            } else if (c == L'=' && !inNested) {
                seenEquals = true;
            }
            sValue += c;
            p++;
        }
        if (*p == L'\0' || *p == L'\'') break;
        p++;
        SetAttribute(sName, sValue);
        if (*p != L' ' && *p != L',') break;
        p++;
    }
    return this;
}

CUIString CControlUI::GetVirtualWnd() const
{
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    if (m_pParent != nullptr) return m_pParent->GetVirtualWnd();
    return CUIString();
}

void CControlUI::SetVirtualWnd(LPCTSTR pstrValue) { m_sVirtualWnd = pstrValue; }

bool CControlUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }

void CControlUI::NeedUpdate()
{
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != nullptr) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (GetParent() != nullptr) {
        GetParent()->NeedUpdate();
        GetParent()->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager != nullptr) m_pManager->NeedUpdate();
}

void CControlUI::Invalidate()
{
    if (!IsVisible()) return;
    RECT invalidateRc = m_rcItem;
    for (CControlUI* pParent = GetParent(); pParent != nullptr; pParent = pParent->GetParent()) {
        if (!IntersectRects(invalidateRc, invalidateRc, pParent->GetPos())) return;
    }
    if (m_pManager != nullptr) m_pManager->Invalidate(invalidateRc);
}

DWORD CControlUI::GetBkColor() const { return m_dwBackColor; }

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    if (m_dwBackColor == dwBackColor) return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor2() const { return m_dwBackColor2; }

void CControlUI::SetBkColor2(DWORD dwBackColor)
{
    if (m_dwBackColor2 == dwBackColor) return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor3() const { return m_dwBackColor3; }

void CControlUI::SetBkColor3(DWORD dwBackColor)
{
    if (m_dwBackColor3 == dwBackColor) return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetHotBkColor() const { return m_dwHotBkColor; }

void CControlUI::SetHotBkColor(DWORD dwColor)
{
    m_dwHotBkColor = dwColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBkColor() const { return m_dwFocusBkColor; }

void CControlUI::SetFocusBkColor(DWORD dwColor)
{
    m_dwFocusBkColor = dwColor;
    Invalidate();
}

DWORD CControlUI::GetForeColor() const { return m_dwForeColor; }

void CControlUI::SetForeColor(DWORD dwForeColor)
{
    if (m_dwForeColor == dwForeColor) return;
    m_dwForeColor = dwForeColor;
    Invalidate();
}

CUIString CControlUI::GetGradient() const { return m_sGradient; }

CUIString CControlUI::GetBkImage() const { return m_sBkImage; }

CUIString CControlUI::GetForeImage() const { return m_sForeImage; }

void CControlUI::SetForeImage(LPCTSTR pStrImage)
{
    if (m_sForeImage == pStrImage) return;
    m_sForeImage = pStrImage;
    Invalidate();
}

DWORD CControlUI::GetBorderColor() const { return m_dwBorderColor; }

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (m_dwBorderColor == dwBorderColor) return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBorderColor() const { return m_dwFocusBorderColor; }

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (m_dwFocusBorderColor == dwBorderColor) return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

DWORD CControlUI::GetHotBorderColor() const { return m_dwHotBorderColor; }

void CControlUI::SetHotBorderColor(DWORD dwColor)
{
    if (m_dwHotBorderColor == dwColor) return;
    m_dwHotBorderColor = dwColor;
    Invalidate();
}

bool CControlUI::IsColorHSL() const { return m_bColorHSL; }

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (m_bColorHSL == bColorHSL) return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

int CControlUI::GetBorderSize() const { return ScaleValue(m_nBorderSize); }

void CControlUI::SetBorderSize(int nSize)
{
    if (m_nBorderSize == nSize) return;
    m_nBorderSize = nSize;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT rc)
{
    m_rcBorderSize = rc;
    Invalidate();
}

RECT CControlUI::GetBorderRectSize() const
{
    return RECT{ScaleValue(m_rcBorderSize.left), ScaleValue(m_rcBorderSize.top), ScaleValue(m_rcBorderSize.right),
                ScaleValue(m_rcBorderSize.bottom)};
}

int CControlUI::GetLeftBorderSize() const { return ScaleValue(m_rcBorderSize.left); }

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBorderSize.left = nSize;
    Invalidate();
}

int CControlUI::GetTopBorderSize() const { return ScaleValue(m_rcBorderSize.top); }

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBorderSize.top = nSize;
    Invalidate();
}

int CControlUI::GetRightBorderSize() const { return ScaleValue(m_rcBorderSize.right); }

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBorderSize.right = nSize;
    Invalidate();
}

int CControlUI::GetBottomBorderSize() const { return ScaleValue(m_rcBorderSize.bottom); }

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

int CControlUI::GetBorderStyle() const { return m_nBorderStyle; }

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return SIZE{ScaleValue(m_cxyBorderRound.cx), ScaleValue(m_cxyBorderRound.cy)}; }

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

void CControlUI::setInstance(HINSTANCE instance) { m_instance = instance; }

HINSTANCE CControlUI::getInstance() const { return m_instance; }

void CControlUI::AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr)
{
    if (pstrName == nullptr || pstrName[0] == L'\0' || pstrAttr == nullptr || pstrAttr[0] == L'\0') return;
    if (m_mCustomAttrHash.Find(pstrName) != nullptr) return;
    CUIString* pCostomAttr = new CUIString(pstrAttr);
    if (!m_mCustomAttrHash.Insert(pstrName, pCostomAttr)) delete pCostomAttr;
}

LPCTSTR CControlUI::GetCustomAttribute(LPCTSTR pstrName) const
{
    if (pstrName == nullptr || pstrName[0] == L'\0') return nullptr;
    CUIString* pCostomAttr = static_cast<CUIString*>(const_cast<CStdStringPtrMap&>(m_mCustomAttrHash).Find(pstrName));
    return pCostomAttr != nullptr ? static_cast<LPCTSTR>(*pCostomAttr) : nullptr;
}

bool CControlUI::RemoveCustomAttribute(LPCTSTR pstrName)
{
    if (pstrName == nullptr || pstrName[0] == L'\0') return false;
    CUIString* pCostomAttr = static_cast<CUIString*>(m_mCustomAttrHash.Find(pstrName));
    if (pCostomAttr == nullptr) return false;
    delete pCostomAttr;
    return m_mCustomAttrHash.Remove(pstrName);
}

void CControlUI::RemoveAllCustomAttribute()
{
    for (int i = 0; i < m_mCustomAttrHash.GetSize(); i++) {
        LPCTSTR key = m_mCustomAttrHash.GetAt(i);
        if (key != nullptr) delete static_cast<CUIString*>(m_mCustomAttrHash.Find(key, false));
    }
    m_mCustomAttrHash.Resize(83);
}

CControlUI* CControlUI::GetExtraParent() const { return m_pExtraParent; }

void CControlUI::SetExtraParent(CControlUI* pParent) { m_pExtraParent = pParent; }

void CControlUI::__AddRef() { m_nRefCount++; }

void CControlUI::__ReleaseRef()
{
    if (--m_nRefCount <= 0) delete this;
}
