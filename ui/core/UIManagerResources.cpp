// The paint manager's resource registries (fonts, images, default attribute lists,
// styles, window attributes, default colours), the DPI helper and the window
// settings that markup gives.
#include <cwchar>

#include "ui/controls/UIControl.h"

#include "ui/core/UIManager.h"
#include "ui/markup/UISkinFile.h"

namespace {

// MulDiv's rounding: the exact quotient rounded half away from zero; -1 when the
// divisor is 0 or the result does not fit.
int MulDivRound(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long half = (denominator < 0 ? -static_cast<long long>(denominator) : denominator) / 2;
    bool negative = (product < 0) != (denominator < 0);
    long long absProduct = product < 0 ? -product : product;
    long long absDen = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
    long long q = (absProduct + half) / absDen;
    if (negative) q = -q;
    if (q > 0x7FFFFFFFLL || q < -0x7FFFFFFFLL - 1) return -1;
    return static_cast<int>(q);
}

CUIString FontKey(int id)
{
    CUIString key;
    key.SmallFormat(L"%d", id);
    return key;
}

CUIString ImageKey(LPCTSTR name, int width, int height, DWORD fillcolor)
{
    CUIString key(name);
    if (width != 0 || height != 0 || fillcolor != 0) key.Format(L"%s-%d-%d-%08X", name, width, height, fillcolor);
    return key;
}

void DeleteFontInfo(TFontInfo* p)
{
    if (p == nullptr) return;
    if (p->hFont != nullptr) DeleteObject(p->hFont);
    delete p;
}

bool FontMatches(const TFontInfo* p, LPCTSTR name, int size, bool bold, bool underline, bool italic)
{
    return p != nullptr && p->sFontName == name && p->iSize == size && p->bBold == bold &&
           p->bUnderline == underline && p->bItalic == italic;
}

} // namespace

TResInfo CPaintManagerUI::m_SharedResInfo;
CStdPtrArray CPaintManagerUI::m_aPlugins;

// ---- CDPI ----

CDPI::CDPI() : m_nScaleFactor(100), m_nScaleFactorSDA(0), m_Awareness(2) { SetScale(96); }

int CDPI::GetDPIAwareness() const { return m_Awareness; }

void CDPI::SetDPIAwareness(int awareness) { m_Awareness = awareness; }

int CDPI::GetDPI() const
{
    if (m_Awareness == 0) return 96;
    return MulDivRound(GetScale(), 96, 100);
}

int CDPI::GetScale() const
{
    if (m_Awareness == 0) return 100;
    if (m_Awareness == 1) return m_nScaleFactorSDA;
    return m_nScaleFactor;
}

void CDPI::SetScale(UINT uDPI)
{
    m_nScaleFactor = MulDivRound(static_cast<int>(uDPI), 100, 96);
    if (m_nScaleFactorSDA == 0) m_nScaleFactorSDA = m_nScaleFactor;
}

int CDPI::Scale(int iValue) const
{
    if (m_Awareness == 0) return iValue;
    return MulDivRound(iValue, GetScale(), 100);
}

int CDPI::ScaleBack(int iValue) const
{
    if (m_Awareness == 0) return iValue;
    return MulDivRound(iValue, 100, GetScale());
}

void CDPI::Scale(RECT* pRect) const
{
    int width = pRect->right - pRect->left;
    int height = pRect->bottom - pRect->top;
    pRect->left = Scale(pRect->left);
    pRect->top = Scale(pRect->top);
    pRect->right = pRect->left + Scale(width);
    pRect->bottom = pRect->top + Scale(height);
}

void CDPI::Scale(POINT* pPoint) const
{
    pPoint->x = Scale(pPoint->x);
    pPoint->y = Scale(pPoint->y);
}

void CDPI::Scale(SIZE* pSize) const
{
    pSize->cx = Scale(pSize->cx);
    pSize->cy = Scale(pSize->cy);
}

// ---- manager ----

CPaintManagerUI::CPaintManagerUI()
    : m_pDPI(nullptr), m_bForceUseSharedRes(false), m_szInitWindowSize{0, 0}, m_szMinWindow{0, 0},
      m_szMaxWindow{0, 0}, m_rcSizeBox{0, 0, 0, 0}, m_rcCaption{0, 0, 0, 0}, m_szRoundCorner{0, 0},
      m_bShowUpdateRect(false), m_bUseGdiplusText(false), m_trh(0), m_bInitWindowParameter(false),
      m_hWndPaint(nullptr), m_bUpdateNeeded(false), m_rcLayeredUpdate{0, 0, 0, 0}
{
    // A window starts with the process-wide default colours and an empty default
    // font, which means "use the shared one".
    m_ResInfo.m_dwDefaultDisabledColor = m_SharedResInfo.m_dwDefaultDisabledColor;
    m_ResInfo.m_dwDefaultFontColor = m_SharedResInfo.m_dwDefaultFontColor;
    m_ResInfo.m_dwDefaultLinkFontColor = m_SharedResInfo.m_dwDefaultLinkFontColor;
    m_ResInfo.m_dwDefaultLinkHoverFontColor = m_SharedResInfo.m_dwDefaultLinkHoverFontColor;
    m_ResInfo.m_dwDefaultSelectedBkColor = m_SharedResInfo.m_dwDefaultSelectedBkColor;
    InitSharedDefaultFont();
}

CPaintManagerUI::~CPaintManagerUI()
{
    for (int i = 0; i < m_aDelayedCleanup.GetSize(); i++) delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Empty();
    FreeFonts(m_ResInfo);
    if (m_ResInfo.m_DefaultFontInfo.hFont != nullptr) DeleteObject(m_ResInfo.m_DefaultFontInfo.hFont);
    FreeImages(m_ResInfo);
    FreeStrings(m_ResInfo.m_AttrHash);
    FreeStrings(m_ResInfo.m_StyleHash);
    FreeStrings(m_mWindowCustomAttrHash);
    for (int i = 0; i < m_aFonts.GetSize(); i++) RemoveFontMemResourceEx(m_aFonts[i]);
    m_aFonts.Empty();
    delete m_pDPI;
}

CDPI* CPaintManagerUI::GetDPIObj()
{
    if (m_pDPI == nullptr) m_pDPI = new CDPI();
    return m_pDPI;
}

TResInfo& CPaintManagerUI::TargetRes(bool bShared)
{
    return (bShared || m_bForceUseSharedRes) ? m_SharedResInfo : m_ResInfo;
}

void CPaintManagerUI::FreeFonts(TResInfo& res)
{
    for (int i = 0; i < res.m_CustomFonts.GetSize(); i++) {
        LPCTSTR key = res.m_CustomFonts.GetAt(i);
        if (key != nullptr) DeleteFontInfo(static_cast<TFontInfo*>(res.m_CustomFonts.Find(key, false)));
    }
    res.m_CustomFonts.RemoveAll();
}

void CPaintManagerUI::FreeImages(TResInfo& res)
{
    for (int i = 0; i < res.m_ImageHash.GetSize(); i++) {
        LPCTSTR key = res.m_ImageHash.GetAt(i);
        if (key != nullptr) delete static_cast<TImageInfo*>(res.m_ImageHash.Find(key, false));
    }
    res.m_ImageHash.RemoveAll();
}

void CPaintManagerUI::FreeStrings(CStdStringPtrMap& map)
{
    for (int i = 0; i < map.GetSize(); i++) {
        LPCTSTR key = map.GetAt(i);
        if (key != nullptr) delete static_cast<CUIString*>(map.Find(key, false));
    }
    map.RemoveAll();
}

void CPaintManagerUI::RemoveAllSharedResources()
{
    FreeFonts(m_SharedResInfo);
    FreeImages(m_SharedResInfo);
    FreeStrings(m_SharedResInfo.m_AttrHash);
    FreeStrings(m_SharedResInfo.m_StyleHash);
    if (m_SharedResInfo.m_DefaultFontInfo.hFont != nullptr) DeleteObject(m_SharedResInfo.m_DefaultFontInfo.hFont);
    m_SharedResInfo.m_DefaultFontInfo = TFontInfo();
}

// ---- fonts ----

namespace {

// A LOGFONT for a markup font: the system GUI font with the given face, height and style.
HFONT CreateMarkupFont(LPCTSTR pStrFontName, int height, bool bBold, bool bUnderline, bool bItalic, BYTE quality)
{
    LOGFONTW lf = {};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (stock != nullptr) GetObjectW(stock, sizeof(LOGFONTW), &lf);
    if (pStrFontName != nullptr && pStrFontName[0] != L'\0') lstrcpynW(lf.lfFaceName, pStrFontName, LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -height;
    if (bBold) lf.lfWeight = FW_BOLD;
    if (bUnderline) lf.lfUnderline = TRUE;
    if (bItalic) lf.lfItalic = TRUE;
    if (quality != 0) lf.lfQuality = quality;
    return CreateFontIndirectW(&lf);
}

} // namespace

void CPaintManagerUI::InitSharedDefaultFont()
{
    if (m_SharedResInfo.m_DefaultFontInfo.hFont != nullptr) return;
    LOGFONTW lf = {};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (stock == nullptr || GetObjectW(stock, sizeof(LOGFONTW), &lf) == 0) return;
    lf.lfCharSet = DEFAULT_CHARSET;
    HFONT hFont = CreateFontIndirectW(&lf);
    if (hFont == nullptr) return;
    TFontInfo& info = m_SharedResInfo.m_DefaultFontInfo;
    info = TFontInfo();
    info.id = -1;
    info.hFont = hFont;
    info.sFontName = lf.lfFaceName;
    info.iSize = -lf.lfHeight;
    info.bBold = lf.lfWeight >= FW_BOLD;
    info.bUnderline = lf.lfUnderline != 0;
    info.bItalic = lf.lfItalic != 0;
}

HFONT CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                               bool bShared)
{
    HFONT hFont = CreateMarkupFont(pStrFontName, GetDPIObj()->Scale(nSize), bBold, bUnderline, bItalic, 0);
    if (hFont == nullptr) return nullptr;
    TFontInfo* pFontInfo = new TFontInfo();
    pFontInfo->id = id;
    pFontInfo->hFont = hFont;
    pFontInfo->sFontName = pStrFontName != nullptr ? pStrFontName : L"";
    pFontInfo->iSize = nSize;
    pFontInfo->bBold = bBold;
    pFontInfo->bUnderline = bUnderline;
    pFontInfo->bItalic = bItalic;

    TResInfo& res = TargetRes(bShared);
    CUIString key = FontKey(id);
    TFontInfo* pOld = static_cast<TFontInfo*>(res.m_CustomFonts.Find(key));
    if (pOld != nullptr) {
        DeleteFontInfo(pOld);
        res.m_CustomFonts.Remove(key);
    }
    if (!res.m_CustomFonts.Insert(key, pFontInfo)) {
        DeleteFontInfo(pFontInfo);
        return nullptr;
    }
    return hFont;
}

void CPaintManagerUI::SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                     bool bShared)
{
    HFONT hFont = CreateMarkupFont(pStrFontName, GetDPIObj()->Scale(nSize), bBold, bUnderline, bItalic, 0);
    if (hFont == nullptr) return;
    TFontInfo& info = TargetRes(bShared).m_DefaultFontInfo;
    if (info.hFont != nullptr) DeleteObject(info.hFont);
    info = TFontInfo();
    info.id = -1;
    info.hFont = hFont;
    info.sFontName = pStrFontName != nullptr ? pStrFontName : L"";
    info.iSize = nSize;
    info.bBold = bBold;
    info.bUnderline = bUnderline;
    info.bItalic = bItalic;
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    if (!m_ResInfo.m_DefaultFontInfo.sFontName.IsEmpty()) return &m_ResInfo.m_DefaultFontInfo;
    return &m_SharedResInfo.m_DefaultFontInfo;
}

HFONT CPaintManagerUI::GetFont(int id)
{
    if (id >= 0) {
        CUIString key = FontKey(id);
        TFontInfo* pFontInfo = static_cast<TFontInfo*>(m_ResInfo.m_CustomFonts.Find(key));
        if (pFontInfo == nullptr) pFontInfo = static_cast<TFontInfo*>(m_SharedResInfo.m_CustomFonts.Find(key));
        if (pFontInfo != nullptr) return pFontInfo->hFont;
    }
    return GetDefaultFontInfo()->hFont;
}

TFontInfo* CPaintManagerUI::FindFont(CStdStringPtrMap& fonts, HFONT hFont)
{
    for (int i = 0; i < fonts.GetSize(); i++) {
        LPCTSTR key = fonts.GetAt(i);
        if (key == nullptr) continue;
        TFontInfo* pFontInfo = static_cast<TFontInfo*>(fonts.Find(key, false));
        if (pFontInfo != nullptr && pFontInfo->hFont == hFont) return pFontInfo;
    }
    return nullptr;
}

TFontInfo* CPaintManagerUI::FindFont(CStdStringPtrMap& fonts, LPCTSTR pStrFontName, int nSize, bool bBold,
                                     bool bUnderline, bool bItalic)
{
    for (int i = 0; i < fonts.GetSize(); i++) {
        LPCTSTR key = fonts.GetAt(i);
        if (key == nullptr) continue;
        TFontInfo* pFontInfo = static_cast<TFontInfo*>(fonts.Find(key, false));
        if (FontMatches(pFontInfo, pStrFontName, nSize, bBold, bUnderline, bItalic)) return pFontInfo;
    }
    return nullptr;
}

HFONT CPaintManagerUI::GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    TFontInfo* p = FindFont(m_ResInfo.m_CustomFonts, pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (p == nullptr) p = FindFont(m_SharedResInfo.m_CustomFonts, pStrFontName, nSize, bBold, bUnderline, bItalic);
    return p != nullptr ? p->hFont : nullptr;
}

int CPaintManagerUI::GetFontIndex(HFONT hFont, bool bShared)
{
    TFontInfo* p = FindFont(bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts, hFont);
    return p != nullptr ? p->id : -1;
}

int CPaintManagerUI::GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                                  bool bShared)
{
    TFontInfo* p = FindFont(bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts, pStrFontName, nSize,
                            bBold, bUnderline, bItalic);
    return p != nullptr ? p->id : -1;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id)
{
    if (id < 0) return GetDefaultFontInfo();
    CUIString key = FontKey(id);
    TFontInfo* pFontInfo = static_cast<TFontInfo*>(m_ResInfo.m_CustomFonts.Find(key));
    if (pFontInfo == nullptr) pFontInfo = static_cast<TFontInfo*>(m_SharedResInfo.m_CustomFonts.Find(key));
    if (pFontInfo == nullptr) pFontInfo = GetDefaultFontInfo();
    return pFontInfo;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int index, bool bShared)
{
    CStdStringPtrMap& fonts = bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts;
    LPCTSTR key = fonts.GetAt(index);
    if (key == nullptr) return nullptr;
    return static_cast<TFontInfo*>(fonts.Find(key, false));
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont)
{
    TFontInfo* p = FindFont(m_ResInfo.m_CustomFonts, hFont);
    if (p == nullptr) p = FindFont(m_SharedResInfo.m_CustomFonts, hFont);
    if (p == nullptr) p = GetDefaultFontInfo();
    return p;
}

void CPaintManagerUI::RemoveFont(HFONT hFont, bool bShared)
{
    CStdStringPtrMap& fonts = bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts;
    TFontInfo* p = FindFont(fonts, hFont);
    if (p == nullptr) return;
    CUIString key = FontKey(p->id);
    DeleteFontInfo(p);
    fonts.Remove(key);
}

void CPaintManagerUI::RemoveFont(int id, bool bShared)
{
    CStdStringPtrMap& fonts = bShared ? m_SharedResInfo.m_CustomFonts : m_ResInfo.m_CustomFonts;
    CUIString key = FontKey(id);
    TFontInfo* pFontInfo = static_cast<TFontInfo*>(fonts.Find(key));
    if (pFontInfo == nullptr) return;
    DeleteFontInfo(pFontInfo);
    fonts.Remove(key);
}

void CPaintManagerUI::RemoveAllFonts(bool bShared) { FreeFonts(bShared ? m_SharedResInfo : m_ResInfo); }

void CPaintManagerUI::RebuildFont(TFontInfo* pFontInfo)
{
    if (pFontInfo == nullptr) return;
    if (pFontInfo->hFont != nullptr) DeleteObject(pFontInfo->hFont);
    pFontInfo->hFont = CreateMarkupFont(pFontInfo->sFontName, GetDPIObj()->Scale(pFontInfo->iSize), pFontInfo->bBold,
                                        pFontInfo->bUnderline, pFontInfo->bItalic, CLEARTYPE_QUALITY);
    pFontInfo->tm = TEXTMETRICW{};
}

bool CPaintManagerUI::AddFontArray(LPCTSTR pstrPath)
{
    if (pstrPath == nullptr || pstrPath[0] == L'\0') return false;
    SkinFileData data;
    if (!ReadSkinFile(pstrPath, data) || data.size == 0) return false;
    DWORD nFonts = 0;
    HANDLE hFont = AddFontMemResourceEx(data.bytes.get(), data.size, nullptr, &nFonts);
    if (hFont == nullptr) return false;
    if (!m_aFonts.Add(hFont)) {
        RemoveFontMemResourceEx(hFont);
        return false;
    }
    return true;
}

int CPaintManagerUI::GetCustomFontCount(bool bShared) const
{
    return bShared ? m_SharedResInfo.m_CustomFonts.GetSize() : m_ResInfo.m_CustomFonts.GetSize();
}

// ---- images ----

const TImageInfo* CPaintManagerUI::AddImage(LPCTSTR bitmap, LPCTSTR type, DWORD mask, int width, int height,
                                            DWORD fillcolor, bool bUseHSL, bool bShared, HINSTANCE instance)
{
    if (bitmap == nullptr || bitmap[0] == L'\0') return nullptr;
    // A resource type names a numeric resource: the name must be a number.
    if (type != nullptr && type[0] != L'\0' && !(bitmap[0] >= L'0' && bitmap[0] <= L'9')) return nullptr;

    TImageInfo* data = new TImageInfo();
    data->bUseHSL = bUseHSL;
    if (type != nullptr) data->sResType = type;
    data->dwMask = mask;

    TResInfo& res = TargetRes(bShared);
    CUIString key = ImageKey(bitmap, width, height, fillcolor);
    TImageInfo* pOld = static_cast<TImageInfo*>(res.m_ImageHash.Find(key));
    if (pOld != nullptr) {
        delete pOld;
        res.m_ImageHash.Remove(key);
    }
    if (!res.m_ImageHash.Insert(key, data)) {
        delete data;
        return nullptr;
    }
    return data;
}

const TImageInfo* CPaintManagerUI::GetImage(LPCTSTR bitmap)
{
    if (bitmap == nullptr) return nullptr;
    TImageInfo* data = static_cast<TImageInfo*>(m_ResInfo.m_ImageHash.Find(bitmap));
    if (data == nullptr) data = static_cast<TImageInfo*>(m_SharedResInfo.m_ImageHash.Find(bitmap));
    return data;
}

void CPaintManagerUI::RemoveImage(LPCTSTR bitmap, bool bShared)
{
    if (bitmap == nullptr) return;
    CStdStringPtrMap& images = bShared ? m_SharedResInfo.m_ImageHash : m_ResInfo.m_ImageHash;
    TImageInfo* data = static_cast<TImageInfo*>(images.Find(bitmap));
    if (data == nullptr) return;
    delete data;
    images.Remove(bitmap);
}

void CPaintManagerUI::RemoveAllImages(bool bShared) { FreeImages(bShared ? m_SharedResInfo : m_ResInfo); }

// ---- default attribute lists and styles ----

namespace {

void PutString(CStdStringPtrMap& map, LPCTSTR name, LPCTSTR text)
{
    CUIString* pNew = new CUIString(text != nullptr ? text : L"");
    CUIString* pOld = static_cast<CUIString*>(map.Set(name, pNew));
    delete pOld;
}

bool DropString(CStdStringPtrMap& map, LPCTSTR name)
{
    CUIString* p = static_cast<CUIString*>(map.Find(name));
    if (p == nullptr) return false;
    delete p;
    return map.Remove(name);
}

LPCTSTR FindString(const CStdStringPtrMap& map, LPCTSTR name)
{
    CUIString* p = static_cast<CUIString*>(map.Find(name));
    return p != nullptr ? p->GetData() : nullptr;
}

} // namespace

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared)
{
    if (pStrControlName == nullptr || pStrControlName[0] == L'\0') return;
    PutString(TargetRes(bShared).m_AttrHash, pStrControlName, pStrControlAttrList);
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const
{
    if (pStrControlName == nullptr) return nullptr;
    LPCTSTR p = FindString(m_ResInfo.m_AttrHash, pStrControlName);
    if (p == nullptr) p = FindString(m_SharedResInfo.m_AttrHash, pStrControlName);
    return p;
}

bool CPaintManagerUI::RemoveDefaultAttributeList(LPCTSTR pStrControlName, bool bShared)
{
    if (pStrControlName == nullptr) return false;
    return DropString(bShared ? m_SharedResInfo.m_AttrHash : m_ResInfo.m_AttrHash, pStrControlName);
}

void CPaintManagerUI::RemoveAllDefaultAttributeList(bool bShared)
{
    FreeStrings(bShared ? m_SharedResInfo.m_AttrHash : m_ResInfo.m_AttrHash);
}

void CPaintManagerUI::AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared)
{
    if (pName == nullptr || pName[0] == L'\0') return;
    PutString(TargetRes(bShared).m_StyleHash, pName, pStyle);
}

LPCTSTR CPaintManagerUI::GetStyle(LPCTSTR pName) const
{
    if (pName == nullptr) return nullptr;
    LPCTSTR p = FindString(m_ResInfo.m_StyleHash, pName);
    if (p == nullptr) p = FindString(m_SharedResInfo.m_StyleHash, pName);
    return p;
}

bool CPaintManagerUI::RemoveStyle(LPCTSTR pName, bool bShared)
{
    if (pName == nullptr) return false;
    return DropString(bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash, pName);
}

void CPaintManagerUI::RemoveAllStyle(bool bShared)
{
    FreeStrings(bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash);
}

const CStdStringPtrMap& CPaintManagerUI::GetStyles(bool bShared) const
{
    return bShared ? m_SharedResInfo.m_StyleHash : m_ResInfo.m_StyleHash;
}

// ---- window custom attributes ----

void CPaintManagerUI::AddWindowCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr)
{
    if (pstrName == nullptr || pstrName[0] == L'\0' || pstrAttr == nullptr || pstrAttr[0] == L'\0') return;
    if (m_mWindowCustomAttrHash.Find(pstrName) != nullptr) return;
    CUIString* pValue = new CUIString(pstrAttr);
    if (!m_mWindowCustomAttrHash.Insert(pstrName, pValue)) delete pValue;
}

LPCTSTR CPaintManagerUI::GetWindowCustomAttribute(LPCTSTR pstrName) const
{
    if (pstrName == nullptr || pstrName[0] == L'\0') return nullptr;
    return FindString(m_mWindowCustomAttrHash, pstrName);
}

bool CPaintManagerUI::RemoveWindowCustomAttribute(LPCTSTR pstrName)
{
    if (pstrName == nullptr || pstrName[0] == L'\0') return false;
    return DropString(m_mWindowCustomAttrHash, pstrName);
}

void CPaintManagerUI::RemoveAllWindowCustomAttribute() { FreeStrings(m_mWindowCustomAttrHash); }

// ---- default colours ----
// A shared change follows into a window whose value still equals the old shared one.

#define UI_DEFAULT_COLOR(Getter, Setter, field)                                                                    \
    DWORD CPaintManagerUI::Getter() const { return m_ResInfo.field; }                                              \
    void CPaintManagerUI::Setter(DWORD dwColor, bool bShared)                                                      \
    {                                                                                                              \
        if (bShared) {                                                                                             \
            if (m_ResInfo.field == m_SharedResInfo.field) m_ResInfo.field = dwColor;                               \
            m_SharedResInfo.field = dwColor;                                                                       \
        } else {                                                                                                   \
            m_ResInfo.field = dwColor;                                                                             \
        }                                                                                                          \
    }

UI_DEFAULT_COLOR(GetDefaultDisabledColor, SetDefaultDisabledColor, m_dwDefaultDisabledColor)
UI_DEFAULT_COLOR(GetDefaultFontColor, SetDefaultFontColor, m_dwDefaultFontColor)
UI_DEFAULT_COLOR(GetDefaultLinkFontColor, SetDefaultLinkFontColor, m_dwDefaultLinkFontColor)
UI_DEFAULT_COLOR(GetDefaultLinkHoverFontColor, SetDefaultLinkHoverFontColor, m_dwDefaultLinkHoverFontColor)
UI_DEFAULT_COLOR(GetDefaultSelectedBkColor, SetDefaultSelectedBkColor, m_dwDefaultSelectedBkColor)

#undef UI_DEFAULT_COLOR

bool CPaintManagerUI::IsForceUseSharedRes() const { return m_bForceUseSharedRes; }

void CPaintManagerUI::SetForceUseSharedRes(bool bForce) { m_bForceUseSharedRes = bForce; }

// ---- window settings ----

SIZE CPaintManagerUI::GetInitSize() { return m_szInitWindowSize; }

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize.cx = cx;
    m_szInitWindowSize.cy = cy;
}

RECT& CPaintManagerUI::GetSizeBox() { return m_rcSizeBox; }

void CPaintManagerUI::SetSizeBox(RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }

RECT& CPaintManagerUI::GetCaptionRect() { return m_rcCaption; }

void CPaintManagerUI::SetCaptionRect(RECT& rcCaption) { m_rcCaption = rcCaption; }

SIZE CPaintManagerUI::GetRoundCorner() const { return m_szRoundCorner; }

void CPaintManagerUI::SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }

SIZE CPaintManagerUI::GetMinInfo() const { return m_szMinWindow; }

void CPaintManagerUI::SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }

SIZE CPaintManagerUI::GetMaxInfo() const { return m_szMaxWindow; }

void CPaintManagerUI::SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }

bool CPaintManagerUI::IsShowUpdateRect() const { return m_bShowUpdateRect; }

void CPaintManagerUI::SetShowUpdateRect(bool show) { m_bShowUpdateRect = show; }

bool CPaintManagerUI::IsUseGdiplusText() const { return m_bUseGdiplusText; }

void CPaintManagerUI::SetUseGdiplusText(bool bUse) { m_bUseGdiplusText = bUse; }

int CPaintManagerUI::GetGdiplusTextRenderingHint() const { return m_trh; }

void CPaintManagerUI::SetGdiplusTextRenderingHint(int trh) { m_trh = trh; }

bool CPaintManagerUI::IsInitWindowParameter() const { return m_bInitWindowParameter; }

void CPaintManagerUI::SetInitWindowParameter(bool bInit) { m_bInitWindowParameter = bInit; }

HWND CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }

CStdPtrArray* CPaintManagerUI::GetPlugins() { return &m_aPlugins; }

bool CPaintManagerUI::LoadPlugin(LPCTSTR pstrModuleName)
{
    if (pstrModuleName == nullptr || pstrModuleName[0] == L'\0') return false;
    HMODULE hModule = LoadLibraryW(pstrModuleName);
    if (hModule == nullptr) return false;
    FARPROC proc = GetProcAddress(hModule, "CreateControl");
    if (proc == nullptr) return false;
    // The export has the creator's signature; the list keeps it as an untyped pointer.
    LPVOID fn = reinterpret_cast<LPVOID>(proc);
    if (m_aPlugins.Find(fn) >= 0) return true;
    return m_aPlugins.Add(fn);
}

// ---- layout and repaint requests ----

bool CPaintManagerUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }

void CPaintManagerUI::NeedUpdate() { m_bUpdateNeeded = true; }

void CPaintManagerUI::Invalidate(RECT& rcItem)
{
    if (rcItem.left < 0) rcItem.left = 0;
    if (rcItem.top < 0) rcItem.top = 0;
    if (rcItem.right < rcItem.left) rcItem.right = rcItem.left;
    if (rcItem.bottom < rcItem.top) rcItem.bottom = rcItem.top;
    // Collect the union of everything invalidated since the last paint.
    if (rcItem.right <= rcItem.left || rcItem.bottom <= rcItem.top) return;
    RECT& u = m_rcLayeredUpdate;
    if (u.right <= u.left || u.bottom <= u.top) {
        u = rcItem;
    } else {
        if (rcItem.left < u.left) u.left = rcItem.left;
        if (rcItem.top < u.top) u.top = rcItem.top;
        if (rcItem.right > u.right) u.right = rcItem.right;
        if (rcItem.bottom > u.bottom) u.bottom = rcItem.bottom;
    }
}

bool CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == nullptr) return false;
    pControl->SetManager(this, nullptr, false);
    return m_aDelayedCleanup.Add(pControl);
}
