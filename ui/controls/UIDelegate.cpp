#include "ui/controls/UIDelegate.h"

#include <cstring>

CDelegateBase::CDelegateBase(void* pObject, void* pFn) : m_pObject(pObject), m_pFn(pFn) {}

CDelegateBase::~CDelegateBase() = default;

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    return m_pObject == rhs.m_pObject && m_pFn == rhs.m_pFn && memcmp(m_fnKey, rhs.m_fnKey, sizeof(m_fnKey)) == 0;
}

bool CDelegateBase::operator()(void* param) { return Invoke(param); }

void* CDelegateBase::GetFn() { return m_pFn; }

void* CDelegateBase::GetObject() { return m_pObject; }

void CDelegateBase::SetFnKey(const void* key, size_t size)
{
    memset(m_fnKey, 0, sizeof(m_fnKey));
    memcpy(m_fnKey, key, size < sizeof(m_fnKey) ? size : sizeof(m_fnKey));
}

CDelegateStatic::CDelegateStatic(Fn pFn) : CDelegateBase(nullptr, nullptr), m_pFn(pFn)
{
    SetFnKey(&m_pFn, sizeof(m_pFn));
}

CDelegateStatic::CDelegateStatic(const CDelegateStatic& rhs) = default;

CDelegateBase* CDelegateStatic::Copy() const { return new CDelegateStatic(*this); }

bool CDelegateStatic::Invoke(void* param) { return m_pFn != nullptr && m_pFn(param); }

CEventSource::~CEventSource() { Clear(); }

CEventSource::operator bool() { return m_aDelegates.GetSize() > 0; }

void CEventSource::operator+=(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        CDelegateBase* pObject = static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
        if (pObject != nullptr && pObject->Equals(d)) return;
    }
    CDelegateBase* pCopy = d.Copy();
    if (!m_aDelegates.Add(pCopy)) delete pCopy;
}

void CEventSource::operator+=(FnType pFn) { (*this) += MakeDelegate(pFn); }

void CEventSource::operator-=(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        CDelegateBase* pObject = static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
        if (pObject != nullptr && pObject->Equals(d)) {
            delete pObject;
            m_aDelegates.Remove(i);
            return;
        }
    }
}

void CEventSource::operator-=(FnType pFn) { (*this) -= MakeDelegate(pFn); }

bool CEventSource::operator()(void* param)
{
    // A delegate may add or remove delegates of this source; walk by index and
    // re-read the size each time so that the array may change underneath.
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        CDelegateBase* pObject = static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
        if (pObject != nullptr && !(*pObject)(param)) return false;
    }
    return true;
}

void CEventSource::Clear()
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) delete static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
    m_aDelegates.Empty();
}
