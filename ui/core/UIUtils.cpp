#include "ui/core/UIUtils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

// Reads `count` decimal integers, each followed by exactly one separator character
// (the last may instead end the text). Fails when the text ends before all are read.
bool ReadNumberList(LPCTSTR text, LONG* out, int count) {
    if (text == nullptr || *text == 0) return false;
    const wchar_t* p = text;
    for (int i = 0; i < count; ++i) {
        if (*p == 0) return false;
        wchar_t* end = nullptr;
        long v = wcstol(p, &end, 10);
        out[i] = static_cast<LONG>(v);
        p = end;
        if (*p != 0) ++p; // the separator
        else if (i + 1 < count) return false;
    }
    return true;
}

} // namespace

/////////////////////////////////////////////////////////////////////////////////////
// CUIPoint, CUISize, CUIRect

CUIPoint::CUIPoint() { x = y = 0; }
CUIPoint::CUIPoint(const POINT& src) {
    x = src.x;
    y = src.y;
}
CUIPoint::CUIPoint(int _x, int _y) {
    x = _x;
    y = _y;
}
CUIPoint::CUIPoint(LPARAM lParam) {
    x = GET_X_LPARAM(lParam);
    y = GET_Y_LPARAM(lParam);
}

CUISize::CUISize() { cx = cy = 0; }
CUISize::CUISize(const SIZE& src) {
    cx = src.cx;
    cy = src.cy;
}
CUISize::CUISize(const RECT rc) {
    cx = rc.right - rc.left;
    cy = rc.bottom - rc.top;
}
CUISize::CUISize(int _cx, int _cy) {
    cx = _cx;
    cy = _cy;
}
CUISize::CUISize(LPCTSTR pstrValue) { FromString(pstrValue); }

bool CUISize::FromString(LPCTSTR pstrValue) {
    LONG v[2] = {0, 0};
    bool ok = ReadNumberList(pstrValue, v, 2);
    cx = ok ? v[0] : 0;
    cy = ok ? v[1] : 0;
    return ok;
}

CUIString CUISize::ToString() const {
    CUIString s;
    s.SmallFormat(L"%ld,%ld", cx, cy);
    return s;
}

CUIRect::CUIRect() { left = top = right = bottom = 0; }
CUIRect::CUIRect(const RECT& src) {
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}
CUIRect::CUIRect(int iLeft, int iTop, int iRight, int iBottom) {
    left = iLeft;
    top = iTop;
    right = iRight;
    bottom = iBottom;
}
CUIRect::CUIRect(LPCTSTR pstrValue) { FromString(pstrValue); }

bool CUIRect::FromString(LPCTSTR pstrValue) {
    LONG v[4] = {0, 0, 0, 0};
    bool ok = ReadNumberList(pstrValue, v, 4);
    if (!ok) std::fill(v, v + 4, 0);
    left = v[0];
    top = v[1];
    right = v[2];
    bottom = v[3];
    return ok;
}

CUIString CUIRect::ToString() const {
    CUIString s;
    s.SmallFormat(L"%ld,%ld,%ld,%ld", left, top, right, bottom);
    return s;
}

int CUIRect::GetWidth() const { return right - left; }
int CUIRect::GetHeight() const { return bottom - top; }
void CUIRect::Empty() { left = top = right = bottom = 0; }
bool CUIRect::IsNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }

void CUIRect::Join(const RECT& rc) {
    left = std::min(left, rc.left);
    top = std::min(top, rc.top);
    right = std::max(right, rc.right);
    bottom = std::max(bottom, rc.bottom);
}

void CUIRect::ResetOffset() {
    right -= left;
    bottom -= top;
    left = top = 0;
}

void CUIRect::Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

void CUIRect::Offset(int cx, int cy) {
    left += cx;
    right += cx;
    top += cy;
    bottom += cy;
}

void CUIRect::Inflate(int cx, int cy) {
    left -= cx;
    right += cx;
    top -= cy;
    bottom += cy;
}

void CUIRect::Deflate(int cx, int cy) { Inflate(-cx, -cy); }

namespace {
bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
} // namespace

// As the system's UnionRect: an empty rectangle does not count.
void CUIRect::Union(CUIRect& rc) {
    bool selfEmpty = IsEmptyRect(*this);
    bool otherEmpty = IsEmptyRect(rc);
    if (otherEmpty) {
        if (selfEmpty) Empty();
        return;
    }
    if (selfEmpty) {
        *this = rc;
        return;
    }
    Join(rc);
}

// As the system's IntersectRect: no overlap gives the empty rectangle and false.
bool CUIRect::IntersectRect(const RECT& rc1, const RECT& rc2) {
    RECT r{std::max(rc1.left, rc2.left), std::max(rc1.top, rc2.top), std::min(rc1.right, rc2.right),
           std::min(rc1.bottom, rc2.bottom)};
    if (IsEmptyRect(rc1) || IsEmptyRect(rc2) || IsEmptyRect(r)) {
        Empty();
        return false;
    }
    *this = r;
    return true;
}

POINT CUIRect::CenterPoint() const {
    POINT pt;
    pt.x = left + (right - left) / 2;
    pt.y = top + (bottom - top) / 2;
    return pt;
}

void CUIRect::AlignRect(const RECT& rcOuter, UINT uAlign) {
    int w = GetWidth();
    int h = GetHeight();
    int outerW = rcOuter.right - rcOuter.left;
    int outerH = rcOuter.bottom - rcOuter.top;
    // The flags are the text-drawing ones: 1 centres horizontally, 4 vertically.
    left = (uAlign & 0x1) ? rcOuter.left + (outerW - w) / 2 : rcOuter.left;
    top = (uAlign & 0x4) ? rcOuter.top + (outerH - h) / 2 : rcOuter.top;
    right = left + w;
    bottom = top + h;
}

/////////////////////////////////////////////////////////////////////////////////////
// CUIString

CUIString::CUIString() : m_pstr(m_szBuffer) { m_szBuffer[0] = 0; }

CUIString::CUIString(const TCHAR ch) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = 0;
}

CUIString::CUIString(LPCTSTR lpsz, int nLen) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = 0;
    Assign(lpsz, nLen);
}

CUIString::CUIString(const CUIString& src) : m_pstr(m_szBuffer) {
    m_szBuffer[0] = 0;
    Assign(src.m_pstr);
}

CUIString::~CUIString() {
    if (m_pstr != m_szBuffer) free(m_pstr);
}

int CUIString::GetLength() const { return static_cast<int>(wcslen(m_pstr)); }

CUIString::operator LPCTSTR() const { return m_pstr; }

LPCTSTR CUIString::GetData() const { return m_pstr; }

void CUIString::Empty() {
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = 0;
}

bool CUIString::IsEmpty() const { return m_pstr[0] == 0; }

void CUIString::Append(LPCTSTR pstr) {
    if (pstr == nullptr || *pstr == 0) return;
    size_t oldLen = wcslen(m_pstr);
    size_t addLen = wcslen(pstr);
    size_t newLen = oldLen + addLen;
    if (newLen < MAX_LOCAL_STRING_LEN) {
        // Both texts fit inline; only possible while still inline.
        wmemmove(m_pstr + oldLen, pstr, addLen + 1);
        return;
    }
    auto* block = static_cast<LPTSTR>(malloc((newLen + 1) * sizeof(TCHAR)));
    if (block == nullptr) return; // out of memory: keep the old text rather than lose it
    wmemcpy(block, m_pstr, oldLen);
    wmemcpy(block + oldLen, pstr, addLen + 1); // pstr may point into m_pstr: it is still alive
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = block;
}

void CUIString::Assign(LPCTSTR pstr, int cchMax) {
    if (pstr == nullptr) pstr = L"";
    size_t len = cchMax < 0 ? wcslen(pstr) : wcsnlen(pstr, static_cast<size_t>(cchMax));
    if (len < MAX_LOCAL_STRING_LEN) {
        // Copy before freeing: the source may be our own heap block.
        TCHAR tmp[MAX_LOCAL_STRING_LEN];
        wmemcpy(tmp, pstr, len);
        if (m_pstr != m_szBuffer) free(m_pstr);
        m_pstr = m_szBuffer;
        wmemcpy(m_szBuffer, tmp, len);
        m_szBuffer[len] = 0;
        return;
    }
    auto* block = static_cast<LPTSTR>(malloc((len + 1) * sizeof(TCHAR)));
    if (block == nullptr) return;
    wmemcpy(block, pstr, len);
    block[len] = 0;
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = block;
}

TCHAR CUIString::GetAt(int nIndex) const { return m_pstr[nIndex]; }

TCHAR CUIString::operator[](int nIndex) const { return m_pstr[nIndex]; }

const CUIString& CUIString::operator=(const CUIString& src) {
    if (this != &src) Assign(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator=(LPCTSTR lpStr) {
    Assign(lpStr);
    return *this;
}

const CUIString& CUIString::operator=(LPCSTR lpStr) {
    if (lpStr == nullptr) {
        Empty();
        return *this;
    }
    int n = MultiByteToWideChar(CP_ACP, 0, lpStr, -1, nullptr, 0);
    if (n <= 0) {
        Empty();
        return *this;
    }
    auto* wide = static_cast<LPTSTR>(malloc(static_cast<size_t>(n) * sizeof(TCHAR)));
    if (wide == nullptr) return *this;
    MultiByteToWideChar(CP_ACP, 0, lpStr, -1, wide, n);
    Assign(wide);
    free(wide);
    return *this;
}

const CUIString& CUIString::operator=(const TCHAR ch) {
    Empty();
    m_szBuffer[0] = ch;
    m_szBuffer[1] = 0;
    return *this;
}

const CUIString& CUIString::operator+=(const CUIString& src) {
    Append(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator+=(LPCTSTR pstr) {
    Append(pstr);
    return *this;
}

const CUIString& CUIString::operator+=(const TCHAR ch) {
    TCHAR str[] = {ch, 0};
    Append(str);
    return *this;
}

CUIString CUIString::operator+(const CUIString& src) const {
    CUIString sTemp = *this;
    sTemp.Append(src.m_pstr);
    return sTemp;
}

CUIString CUIString::operator+(LPCTSTR lpStr) const {
    CUIString sTemp = *this;
    sTemp.Append(lpStr);
    return sTemp;
}

CUIString CUIString::operator+(const TCHAR ch) const {
    CUIString sTemp = *this;
    sTemp += ch;
    return sTemp;
}

bool CUIString::operator==(LPCTSTR str) const { return Compare(str) == 0; }
bool CUIString::operator!=(LPCTSTR str) const { return Compare(str) != 0; }
bool CUIString::operator<=(LPCTSTR str) const { return Compare(str) <= 0; }
bool CUIString::operator<(LPCTSTR str) const { return Compare(str) < 0; }
bool CUIString::operator>=(LPCTSTR str) const { return Compare(str) >= 0; }
bool CUIString::operator>(LPCTSTR str) const { return Compare(str) > 0; }

bool operator==(LPCTSTR lhs, const CUIString& rhs) { return rhs.Compare(lhs) == 0; }
bool operator!=(LPCTSTR lhs, const CUIString& rhs) { return rhs.Compare(lhs) != 0; }

void CUIString::SetAt(int nIndex, TCHAR ch) { m_pstr[nIndex] = ch; }

int CUIString::Compare(LPCTSTR lpsz) const { return wcscmp(m_pstr, lpsz ? lpsz : L""); }

int CUIString::CompareNoCase(LPCTSTR lpsz) const { return lstrcmpiW(m_pstr, lpsz ? lpsz : L""); }

void CUIString::MakeUpper() { CharUpperW(m_pstr); }

void CUIString::MakeLower() { CharLowerW(m_pstr); }

CUIString CUIString::Left(int iLength) const {
    iLength = std::clamp(iLength, 0, GetLength());
    return CUIString(m_pstr, iLength);
}

CUIString CUIString::Mid(int iPos, int iLength) const {
    int len = GetLength();
    if (iPos < 0) iPos = 0;
    if (iPos >= len) return CUIString();
    if (iLength < 0 || iPos + iLength > len) iLength = len - iPos;
    if (iLength <= 0) return CUIString();
    return CUIString(m_pstr + iPos, iLength);
}

CUIString CUIString::Right(int iLength) const {
    int len = GetLength();
    iLength = std::clamp(iLength, 0, len);
    return CUIString(m_pstr + len - iLength, iLength);
}

int CUIString::Find(TCHAR ch, int iPos) const {
    if (iPos != 0 && (iPos < 0 || iPos >= GetLength())) return -1;
    const TCHAR* p = wcschr(m_pstr + iPos, ch);
    if (p == nullptr || ch == 0) return -1;
    return static_cast<int>(p - m_pstr);
}

int CUIString::Find(LPCTSTR pstrSub, int iPos) const {
    if (pstrSub == nullptr) return -1;
    if (iPos != 0 && (iPos < 0 || iPos >= GetLength())) return -1;
    const TCHAR* p = wcsstr(m_pstr + iPos, pstrSub);
    if (p == nullptr) return -1;
    return static_cast<int>(p - m_pstr);
}

int CUIString::ReverseFind(TCHAR ch) const {
    if (ch == 0) return -1;
    const TCHAR* p = wcsrchr(m_pstr, ch);
    if (p == nullptr) return -1;
    return static_cast<int>(p - m_pstr);
}

int CUIString::Replace(LPCTSTR pstrFrom, LPCTSTR pstrTo) {
    if (pstrFrom == nullptr || *pstrFrom == 0) return 0;
    if (pstrTo == nullptr) pstrTo = L"";
    size_t fromLen = wcslen(pstrFrom);
    CUIString result;
    const TCHAR* start = m_pstr;
    int count = 0;
    for (const TCHAR* hit = wcsstr(start, pstrFrom); hit != nullptr; hit = wcsstr(start, pstrFrom)) {
        result.Append(CUIString(start, static_cast<int>(hit - start)));
        result.Append(pstrTo);
        start = hit + fromLen; // continue after the replaced text, never inside the inserted one
        ++count;
    }
    if (count > 0) {
        result.Append(start);
        Assign(result);
    }
    return count;
}

int CUIString::FormatV(LPCTSTR pstrFormat, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int n = _vscwprintf(pstrFormat, measure);
    va_end(measure);
    if (n < 0) {
        Empty();
        return 0;
    }
    auto* buf = static_cast<LPTSTR>(malloc((static_cast<size_t>(n) + 1) * sizeof(TCHAR)));
    if (buf == nullptr) return 0;
    _vsnwprintf(buf, static_cast<size_t>(n) + 1, pstrFormat, args);
    buf[n] = 0;
    Assign(buf, n);
    free(buf);
    return n;
}

int CUIString::Format(LPCTSTR pstrFormat, ...) {
    va_list args;
    va_start(args, pstrFormat);
    int n = FormatV(pstrFormat, args);
    va_end(args);
    return n;
}

int CUIString::SmallFormat(LPCTSTR pstrFormat, ...) {
    TCHAR szBuffer[64];
    va_list args;
    va_start(args, pstrFormat);
    int n = _vsnwprintf(szBuffer, 63, pstrFormat, args);
    va_end(args);
    szBuffer[63] = 0;
    if (n < 0) n = static_cast<int>(wcslen(szBuffer));
    Assign(szBuffer);
    return n;
}

/////////////////////////////////////////////////////////////////////////////////////
// CStdPtrArray

CStdPtrArray::CStdPtrArray(int iPreallocSize)
    : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0),
      m_bSaveIndexMap(false) {
    if (m_nAllocated > 0) {
        m_ppVoid = static_cast<LPVOID*>(malloc(static_cast<size_t>(m_nAllocated) * sizeof(LPVOID)));
        if (m_ppVoid == nullptr) m_nAllocated = 0;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src)
    : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0), m_bSaveIndexMap(false) {
    *this = src;
}

CStdPtrArray& CStdPtrArray::operator=(const CStdPtrArray& src) {
    if (this == &src) return *this;
    Empty();
    for (int i = 0; i < src.GetSize(); ++i)
        Add(src.GetAt(i));
    SetSaveIndexMap(src.m_bSaveIndexMap);
    return *this;
}

CStdPtrArray::~CStdPtrArray() { free(m_ppVoid); }

void CStdPtrArray::Empty() {
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
    m_indexMap.clear();
}

void CStdPtrArray::Resize(int iSize) {
    Empty();
    if (iSize <= 0) return;
    m_ppVoid = static_cast<LPVOID*>(calloc(static_cast<size_t>(iSize), sizeof(LPVOID)));
    if (m_ppVoid == nullptr) return;
    m_nAllocated = iSize;
    m_nCount = iSize;
    RebuildIndexMap();
}

bool CStdPtrArray::IsEmpty() const { return m_nCount == 0; }

bool CStdPtrArray::Grow() {
    int newSize = m_nAllocated > 0 ? m_nAllocated * 2 : 11;
    auto* grown = static_cast<LPVOID*>(realloc(m_ppVoid, static_cast<size_t>(newSize) * sizeof(LPVOID)));
    if (grown == nullptr) return false;
    m_ppVoid = grown;
    m_nAllocated = newSize;
    return true;
}

bool CStdPtrArray::Add(LPVOID pData) {
    if (++m_nCount >= m_nAllocated && !Grow()) {
        --m_nCount;
        return false;
    }
    m_ppVoid[m_nCount - 1] = pData;
    if (m_bSaveIndexMap) m_indexMap.emplace(pData, m_nCount - 1); // keeps an earlier index
    return true;
}

bool CStdPtrArray::InsertAt(int iIndex, LPVOID pData) {
    if (iIndex == m_nCount) return Add(pData);
    if (iIndex < 0 || iIndex > m_nCount) return false;
    if (++m_nCount >= m_nAllocated && !Grow()) {
        --m_nCount;
        return false;
    }
    memmove(&m_ppVoid[iIndex + 1], &m_ppVoid[iIndex], static_cast<size_t>(m_nCount - iIndex - 1) * sizeof(LPVOID));
    m_ppVoid[iIndex] = pData;
    RebuildIndexMap();
    return true;
}

bool CStdPtrArray::SetAt(int iIndex, LPVOID pData) {
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    m_ppVoid[iIndex] = pData;
    RebuildIndexMap();
    return true;
}

bool CStdPtrArray::Remove(int iIndex) {
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    if (iIndex < --m_nCount)
        memmove(m_ppVoid + iIndex, m_ppVoid + iIndex + 1, static_cast<size_t>(m_nCount - iIndex) * sizeof(LPVOID));
    RebuildIndexMap();
    return true;
}

int CStdPtrArray::Find(LPVOID pData) const {
    if (m_bSaveIndexMap) {
        auto it = m_indexMap.find(pData);
        return it == m_indexMap.end() ? -1 : it->second;
    }
    for (int i = 0; i < m_nCount; i++)
        if (m_ppVoid[i] == pData) return i;
    return -1;
}

int CStdPtrArray::GetSize() const { return m_nCount; }

LPVOID* CStdPtrArray::GetData() { return m_ppVoid; }

LPVOID CStdPtrArray::GetAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nCount) return nullptr;
    return m_ppVoid[iIndex];
}

LPVOID CStdPtrArray::operator[](int iIndex) const { return m_ppVoid[iIndex]; }

void CStdPtrArray::SetSaveIndexMap(bool bSaveIndexMap) {
    m_bSaveIndexMap = bSaveIndexMap;
    RebuildIndexMap();
}

void CStdPtrArray::RebuildIndexMap() {
    m_indexMap.clear();
    if (!m_bSaveIndexMap) return;
    for (int i = 0; i < m_nCount; ++i)
        m_indexMap.emplace(m_ppVoid[i], i);
}

/////////////////////////////////////////////////////////////////////////////////////
// CStdValArray

CStdValArray::CStdValArray(int iElementSize, int iPreallocSize)
    : m_pVoid(nullptr), m_iElementSize(iElementSize > 0 ? iElementSize : 1), m_nCount(0),
      m_nAllocated(iPreallocSize > 0 ? iPreallocSize : 0) {
    if (m_nAllocated > 0) {
        m_pVoid = static_cast<LPBYTE>(malloc(static_cast<size_t>(m_nAllocated) * static_cast<size_t>(m_iElementSize)));
        if (m_pVoid == nullptr) m_nAllocated = 0;
    }
}

CStdValArray::~CStdValArray() { free(m_pVoid); }

void CStdValArray::Empty() {
    free(m_pVoid);
    m_pVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}

bool CStdValArray::IsEmpty() const { return m_nCount == 0; }

bool CStdValArray::Add(LPCVOID pData) {
    if (++m_nCount >= m_nAllocated) {
        int newSize = m_nAllocated > 0 ? m_nAllocated * 2 : 11;
        auto* grown =
            static_cast<LPBYTE>(realloc(m_pVoid, static_cast<size_t>(newSize) * static_cast<size_t>(m_iElementSize)));
        if (grown == nullptr) {
            --m_nCount;
            return false;
        }
        m_pVoid = grown;
        m_nAllocated = newSize;
    }
    memcpy(m_pVoid + static_cast<size_t>(m_nCount - 1) * static_cast<size_t>(m_iElementSize), pData,
           static_cast<size_t>(m_iElementSize));
    return true;
}

bool CStdValArray::Remove(int iIndex) {
    if (iIndex < 0 || iIndex >= m_nCount) return false;
    if (iIndex < --m_nCount) {
        size_t es = static_cast<size_t>(m_iElementSize);
        memmove(m_pVoid + static_cast<size_t>(iIndex) * es, m_pVoid + static_cast<size_t>(iIndex + 1) * es,
                static_cast<size_t>(m_nCount - iIndex) * es);
    }
    return true;
}

int CStdValArray::GetSize() const { return m_nCount; }

LPVOID CStdValArray::GetData() { return m_pVoid; }

LPVOID CStdValArray::GetAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nCount) return nullptr;
    return m_pVoid + static_cast<size_t>(iIndex) * static_cast<size_t>(m_iElementSize);
}

LPVOID CStdValArray::operator[](int iIndex) const {
    return m_pVoid + static_cast<size_t>(iIndex) * static_cast<size_t>(m_iElementSize);
}

/////////////////////////////////////////////////////////////////////////////////////
// CStdStringPtrMap

CStdStringPtrMap::CStdStringPtrMap(int nSize) : m_aT(nullptr), m_nBuckets(0), m_nCount(0) {
    Resize(nSize < 16 ? 16 : nSize);
}

CStdStringPtrMap::~CStdStringPtrMap() {
    RemoveAll();
    delete[] m_aT;
}

void CStdStringPtrMap::RemoveAll() {
    for (int i = 0; i < m_nBuckets; i++) {
        TITEM* pItem = m_aT[i];
        while (pItem != nullptr) {
            TITEM* pKill = pItem;
            pItem = pItem->pNext;
            delete pKill;
        }
        m_aT[i] = nullptr;
    }
    m_nCount = 0;
}

void CStdStringPtrMap::Resize(int nSize) {
    RemoveAll();
    delete[] m_aT;
    m_aT = nullptr;
    m_nBuckets = nSize > 0 ? nSize : 0;
    if (m_nBuckets > 0) m_aT = new TITEM*[m_nBuckets]();
}

UINT CStdStringPtrMap::BucketOf(LPCTSTR key) const {
    UINT h = 0;
    for (size_t i = wcslen(key); i > 0; --i)
        h = h * 33u + static_cast<UINT>(key[i - 1]);
    return h % static_cast<UINT>(m_nBuckets);
}

TITEM* CStdStringPtrMap::FindItem(LPCTSTR key, bool optimize) const {
    if (key == nullptr || m_nBuckets == 0 || m_nCount == 0) return nullptr;
    UINT slot = BucketOf(key);
    for (TITEM* pItem = m_aT[slot]; pItem != nullptr; pItem = pItem->pNext) {
        if (pItem->Key == key) {
            if (optimize && pItem != m_aT[slot]) {
                // Move to the head of the chain: repeated lookups of a hot key stay short.
                pItem->pPrev->pNext = pItem->pNext;
                if (pItem->pNext) pItem->pNext->pPrev = pItem->pPrev;
                pItem->pPrev = nullptr;
                pItem->pNext = m_aT[slot];
                m_aT[slot]->pPrev = pItem;
                m_aT[slot] = pItem;
            }
            return pItem;
        }
    }
    return nullptr;
}

LPVOID CStdStringPtrMap::Find(LPCTSTR key, bool optimize) const {
    TITEM* item = FindItem(key, optimize);
    return item ? item->Data : nullptr;
}

bool CStdStringPtrMap::Insert(LPCTSTR key, LPVOID pData) {
    if (key == nullptr || m_nBuckets == 0) return false;
    if (FindItem(key, true) != nullptr) return false;
    UINT slot = BucketOf(key);
    auto* pItem = new (std::nothrow) TITEM{CUIString(key), pData, nullptr, m_aT[slot]};
    if (pItem == nullptr) return false;
    if (m_aT[slot]) m_aT[slot]->pPrev = pItem;
    m_aT[slot] = pItem;
    m_nCount++;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCTSTR key, LPVOID pData) {
    if (TITEM* item = FindItem(key, true)) {
        LPVOID old = item->Data;
        item->Data = pData;
        return old;
    }
    Insert(key, pData);
    return nullptr;
}

bool CStdStringPtrMap::Remove(LPCTSTR key) {
    if (key == nullptr || m_nBuckets == 0 || m_nCount == 0) return false;
    UINT slot = BucketOf(key);
    for (TITEM* pItem = m_aT[slot]; pItem != nullptr; pItem = pItem->pNext) {
        if (pItem->Key == key) {
            if (pItem->pPrev) pItem->pPrev->pNext = pItem->pNext;
            else m_aT[slot] = pItem->pNext;
            if (pItem->pNext) pItem->pNext->pPrev = pItem->pPrev;
            delete pItem;
            m_nCount--;
            return true;
        }
    }
    return false;
}

int CStdStringPtrMap::GetSize() const { return m_nCount; }

LPCTSTR CStdStringPtrMap::GetAt(int iIndex) const {
    if (iIndex < 0 || iIndex >= m_nCount) return nullptr;
    int pos = 0;
    for (int slot = m_nBuckets - 1; slot >= 0; --slot) {
        for (TITEM* pItem = m_aT[slot]; pItem != nullptr; pItem = pItem->pNext) {
            if (pos++ == iIndex) return pItem->Key.GetData();
        }
    }
    return nullptr;
}

LPCTSTR CStdStringPtrMap::operator[](int nIndex) const { return GetAt(nIndex); }
