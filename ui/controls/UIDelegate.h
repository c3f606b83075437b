// Delegates and event sources: ordered lists of callbacks that application code
// attaches to a control's events.
#pragma once

#include <cstddef>

#include "ui/core/UIUtils.h"

class CDelegateBase {
public:
    CDelegateBase(void* pObject, void* pFn);
    CDelegateBase(const CDelegateBase& rhs) = default;
    virtual ~CDelegateBase();
    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param);
    virtual CDelegateBase* Copy() const = 0;

protected:
    void* GetFn();
    void* GetObject();
    virtual bool Invoke(void* param) = 0;
    // A member function pointer does not fit a data pointer; its bytes are kept here
    // so that Equals can still compare the function.
    void SetFnKey(const void* key, size_t size);

private:
    void* m_pObject;
    void* m_pFn;
    unsigned char m_fnKey[2 * sizeof(void*)] = {};
};

class CDelegateStatic : public CDelegateBase {
    typedef bool (*Fn)(void*);

public:
    explicit CDelegateStatic(Fn pFn);
    CDelegateStatic(const CDelegateStatic& rhs);
    CDelegateBase* Copy() const override;

protected:
    bool Invoke(void* param) override;

private:
    Fn m_pFn;
};

// Wraps a member function of one object.
template <class O, class T> class CDelegate : public CDelegateBase {
    typedef bool (T::*Fn)(void*);

public:
    static_assert(sizeof(Fn) <= 2 * sizeof(void*), "member function pointer too large");
    CDelegate(O* pObj, Fn pFn) : CDelegateBase(pObj, nullptr), m_pFn(pFn) { SetFnKey(&m_pFn, sizeof(m_pFn)); }
    CDelegate(const CDelegate& rhs) = default;
    CDelegateBase* Copy() const override { return new CDelegate(*this); }

protected:
    bool Invoke(void* param) override
    {
        O* pObject = static_cast<O*>(GetObject());
        return (pObject->*m_pFn)(param);
    }

private:
    Fn m_pFn;
};

template <class O, class T> CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*))
{
    return CDelegate<O, T>(pObject, pFn);
}

inline CDelegateStatic MakeDelegate(bool (*pFn)(void*)) { return CDelegateStatic(pFn); }

class CEventSource {
    typedef bool (*FnType)(void*);

public:
    CEventSource() = default;
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;
    ~CEventSource();
    operator bool();
    void operator+=(const CDelegateBase& d);
    void operator+=(FnType pFn);
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);
    bool operator()(void* param);
    void Clear();

protected:
    CStdPtrArray m_aDelegates;
};
