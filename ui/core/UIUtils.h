// Value types every framework class passes around: a wide string with an inline buffer,
// rectangles, sizes and points that read the markup's number lists, two growable arrays,
// a string-keyed hash map and the name-or-resource-id argument.
#pragma once

#include "ui/platform/win32.h"

#include <unordered_map>

/////////////////////////////////////////////////////////////////////////////////////
// STRINGorID: a name, or a numeric module-resource id below 0x10000.

class STRINGorID {
public:
    STRINGorID(LPCTSTR lpString) : m_lpstr(lpString) {}
    STRINGorID(UINT nID) : m_lpstr(MAKEINTRESOURCE(nID)) {}

    bool IsID() const { return IS_INTRESOURCE(m_lpstr); }
    WORD GetID() const { return static_cast<WORD>(reinterpret_cast<ULONG_PTR>(m_lpstr)); }

    LPCTSTR m_lpstr;
};

/////////////////////////////////////////////////////////////////////////////////////

class CUIPoint : public tagPOINT {
public:
    CUIPoint();
    CUIPoint(const POINT& src);
    CUIPoint(int x, int y);
    CUIPoint(LPARAM lParam); // signed low word = x, signed high word = y
};

class CUISize : public tagSIZE {
public:
    CUISize();
    CUISize(const SIZE& src);
    CUISize(const RECT rc);
    CUISize(int cx, int cy);
    explicit CUISize(LPCTSTR pstrValue);

    // Two decimal integers, each followed by one separator. False and 0,0 when the text ends early.
    bool FromString(LPCTSTR pstrValue);
    class CUIString ToString() const;
};

class CUIRect : public tagRECT {
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(int iLeft, int iTop, int iRight, int iBottom);
    explicit CUIRect(LPCTSTR pstrValue);

    // Four decimal integers, each followed by one separator. False and 0,0,0,0 when the text ends early.
    bool FromString(LPCTSTR pstrValue);
    class CUIString ToString() const;

    int GetWidth() const;
    int GetHeight() const;
    void Empty();
    bool IsNull() const;
    void Join(const RECT& rc);
    void ResetOffset();
    void Normalize();
    void Offset(int cx, int cy);
    void Inflate(int cx, int cy);
    void Deflate(int cx, int cy);
    void Union(CUIRect& rc);
    bool IntersectRect(const RECT& rc1, const RECT& rc2);
    POINT CenterPoint() const;
    // Flag 1 centres horizontally, flag 4 vertically; otherwise the left or top edges meet.
    void AlignRect(const RECT& rcOuter, UINT uAlign);
};

/////////////////////////////////////////////////////////////////////////////////////
// CUIString: texts of up to 62 characters stay in the inline buffer; longer texts live
// in a heap block of exactly length + 1 characters.

class CUIString {
public:
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CUIString();
    CUIString(const TCHAR ch);
    CUIString(const CUIString& src);
    CUIString(LPCTSTR lpsz, int nLen = -1);
    ~CUIString();

    void Empty();
    int GetLength() const;
    bool IsEmpty() const;
    TCHAR GetAt(int nIndex) const;
    void Append(LPCTSTR pstr);
    void Assign(LPCTSTR pstr, int nLength = -1);
    LPCTSTR GetData() const;

    void SetAt(int nIndex, TCHAR ch);
    operator LPCTSTR() const;

    TCHAR operator[](int nIndex) const;
    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(const TCHAR ch);
    const CUIString& operator=(LPCTSTR pstr);
    const CUIString& operator=(LPCSTR lpStr); // narrow text in the ANSI code page

    CUIString operator+(const CUIString& src) const;
    CUIString operator+(LPCTSTR pstr) const;
    CUIString operator+(const TCHAR ch) const;
    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(LPCTSTR pstr);
    const CUIString& operator+=(const TCHAR ch);

    bool operator==(LPCTSTR str) const;
    bool operator!=(LPCTSTR str) const;
    bool operator<=(LPCTSTR str) const;
    bool operator<(LPCTSTR str) const;
    bool operator>=(LPCTSTR str) const;
    bool operator>(LPCTSTR str) const;

    int Compare(LPCTSTR pstr) const;
    int CompareNoCase(LPCTSTR pstr) const;

    void MakeUpper();
    void MakeLower();

    CUIString Left(int nLength) const;
    CUIString Mid(int iPos, int nLength = -1) const;
    CUIString Right(int nLength) const;

    int Find(TCHAR ch, int iPos = 0) const;
    int Find(LPCTSTR pstr, int iPos = 0) const;
    int ReverseFind(TCHAR ch) const;
    int Replace(LPCTSTR pstrFrom, LPCTSTR pstrTo);

    int Format(LPCTSTR pstrFormat, ...);
    int SmallFormat(LPCTSTR pstrFormat, ...);

private:
    int FormatV(LPCTSTR pstrFormat, va_list args);

    LPTSTR m_pstr;
    TCHAR m_szBuffer[MAX_LOCAL_STRING_LEN + 1];
};

// A text on the left compares by content, never by address.
bool operator==(LPCTSTR lhs, const CUIString& rhs);
bool operator!=(LPCTSTR lhs, const CUIString& rhs);

/////////////////////////////////////////////////////////////////////////////////////
// CStdPtrArray: an ordered array of pointers it does not own.

class CStdPtrArray {
public:
    CStdPtrArray(int iPreallocSize = 0);
    CStdPtrArray(const CStdPtrArray& src);
    CStdPtrArray& operator=(const CStdPtrArray& src);
    ~CStdPtrArray();

    void Empty();
    void Resize(int iSize);
    bool IsEmpty() const;
    int Find(LPVOID iIndex) const;
    bool Add(LPVOID pData);
    bool SetAt(int iIndex, LPVOID pData);
    bool InsertAt(int iIndex, LPVOID pData);
    bool Remove(int iIndex);
    int GetSize() const;
    LPVOID* GetData();

    LPVOID GetAt(int iIndex) const;
    LPVOID operator[](int nIndex) const;

    // Keeps a pointer -> first index map so that Find does not scan.
    void SetSaveIndexMap(bool bSaveIndexMap);

protected:
    bool Grow();
    void RebuildIndexMap();

    LPVOID* m_ppVoid;
    int m_nCount;
    int m_nAllocated;
    bool m_bSaveIndexMap;
    std::unordered_map<LPVOID, int> m_indexMap;
};

/////////////////////////////////////////////////////////////////////////////////////
// CStdValArray: fixed-size values copied into the array.

class CStdValArray {
public:
    CStdValArray(int iElementSize, int iPreallocSize = 0);
    CStdValArray(const CStdValArray&) = delete;
    CStdValArray& operator=(const CStdValArray&) = delete;
    ~CStdValArray();

    void Empty();
    bool IsEmpty() const;
    bool Add(LPCVOID pData);
    bool Remove(int iIndex);
    int GetSize() const;
    LPVOID GetData();

    LPVOID GetAt(int iIndex) const;
    LPVOID operator[](int nIndex) const;

protected:
    LPBYTE m_pVoid;
    int m_iElementSize;
    int m_nCount;
    int m_nAllocated;
};

/////////////////////////////////////////////////////////////////////////////////////
// CStdStringPtrMap: wide text keys (copied, case-sensitive) to pointers it does not own.
// Lookups with optimize on move the found item to the head of its bucket's chain.

struct TITEM {
    CUIString Key;
    LPVOID Data;
    struct TITEM* pPrev;
    struct TITEM* pNext;
};

class CStdStringPtrMap {
public:
    CStdStringPtrMap(int nSize = 83);
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;
    ~CStdStringPtrMap();

    void Resize(int nSize = 83);
    LPVOID Find(LPCTSTR key, bool optimize = true) const;
    bool Insert(LPCTSTR key, LPVOID pData);
    LPVOID Set(LPCTSTR key, LPVOID pData);
    bool Remove(LPCTSTR key);
    void RemoveAll();
    int GetSize() const;
    LPCTSTR GetAt(int iIndex) const;
    LPCTSTR operator[](int nIndex) const;

protected:
    UINT BucketOf(LPCTSTR key) const;
    TITEM* FindItem(LPCTSTR key, bool optimize) const;

    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;
};
