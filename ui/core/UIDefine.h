// Event and notification records, the control and find flags, the listener interfaces and
// CNotifyPump, which turns a named notification into a call of a handler found in a static
// message map.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

class CControlUI;

// Where the skin lives (CPaintManagerUI::SetResourceType).
enum UIResourceType {
    ResFile = 1,        // files under the resource path
    ResZip = 2,         // a zip file on disk
    ResResource = 3,    // module resources
    ResZipResource = 4, // a zip archive held in a module resource
};

// Event types delivered to one control. The bounds are never sent; containers test the
// mouse range (UIEVENT__MOUSEBEGIN < type < UIEVENT__MOUSEEND).
enum UIEVENTTYPE_UI {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_SYSKEY,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_MBUTTONDOWN,
    UIEVENT_MBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_SETCURSOR,
    UIEVENT_TIMER,
};
static_assert(UIEVENT_TIMER == 27, "event type values are fixed");

// Control flags (CControlUI::GetControlFlags).
#define UIFLAG_TABSTOP 0x00000001
#define UIFLAG_SETCURSOR 0x00000002

// Flags of CControlUI::FindControl.
#define UIFIND_ALL 0x00000000
#define UIFIND_VISIBLE 0x00000001
#define UIFIND_ENABLED 0x00000002
#define UIFIND_HITTEST 0x00000004
#define UIFIND_UPDATETEST 0x00000008
#define UIFIND_TOP_FIRST 0x00000010
#define UIFIND_ME_FIRST 0x80000000

// Notification names, compared case-sensitively. The order is that of the frame's map.
#define UI_MSGTYPE_CLICK (L"click")
#define UI_MSGTYPE_RCLICK (L"rclick")
#define UI_MSGTYPE_DBCLICK (L"dbclick")
#define UI_MSGTYPE_MENU (L"menu")
#define UI_MSGTYPE_LINK (L"link")
#define UI_MSGTYPE_TIMER (L"timer")
#define UI_MSGTYPE_RETURN (L"return")
#define UI_MSGTYPE_SCROLL (L"scroll")
#define UI_MSGTYPE_PREDROPDOWN (L"predropdown")
#define UI_MSGTYPE_DROPDOWN (L"dropdown")
#define UI_MSGTYPE_SETFOCUS (L"setfocus")
#define UI_MSGTYPE_KILLFOCUS (L"killfocus")
#define UI_MSGTYPE_ITEMCLICK (L"itemclick")
#define UI_MSGTYPE_ITEMRCLICK (L"itemrclick")
#define UI_MSGTYPE_TABSELECT (L"tabselect")
#define UI_MSGTYPE_ITEMSELECT (L"itemselect")
#define UI_MSGTYPE_ITEMEXPAND (L"itemexpand")
#define UI_MSGTYPE_WINDOWINIT (L"windowinit")
#define UI_MSGTYPE_WINDOWSIZE (L"windowsize")
#define UI_MSGTYPE_BUTTONDOWN (L"buttondown")
#define UI_MSGTYPE_MOUSEENTER (L"mouseenter")
#define UI_MSGTYPE_MOUSELEAVE (L"mouseleave")
#define UI_MSGTYPE_TEXTCHANGED (L"textchanged")
#define UI_MSGTYPE_HEADERCLICK (L"headerclick")
#define UI_MSGTYPE_ITEMDBCLICK (L"itemdbclick")
#define UI_MSGTYPE_SHOWACTIVEX (L"showactivex")
#define UI_MSGTYPE_ITEMCOLLAPSE (L"itemcollapse")
#define UI_MSGTYPE_ITEMACTIVATE (L"itemactivate")
#define UI_MSGTYPE_VALUECHANGED (L"valuechanged")
#define UI_MSGTYPE_SELECTCHANGED (L"selectchanged")
#define UI_MSGTYPE_INITCELL (L"initcell")
#define UI_MSGTYPE_DRAWITEM (L"drawitem")
#define UI_MSGTYPE_SORTITEM (L"sortitem")
#define UI_MSGTYPE_STARTEDIT (L"startedit")
#define UI_MSGTYPE_ENDEDIT (L"endedit")
#define UI_MSGTYPE_DELETEITEM (L"deleteitem")
#define UI_MSGTYPE_GRIDSTARTEDIT (L"gridstartedit")
#define UI_MSGTYPE_GRIDENDEDIT (L"gridendedit")
#define UI_MSGTYPE_GRIDSTARTSELCHANGE (L"gridstartselchange")
#define UI_MSGTYPE_GRIDENDSELCHANGE (L"gridendselchange")
#define UI_MSGTYPE_GRIDDROPDOWNLIST (L"griddropdownlist")
#define UI_MSGTYPE_GRIDGETDISPINFO (L"gridgetdispinfo")
#define UI_MSGTYPE_SCINOTIFY (L"scinotify")

// One input event for one control, built on the stack.
typedef struct tagTEventUI {
    int Type;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WORD chKey; // a 16-bit key code or character
    WORD wKeyState;
    WPARAM wParam;
    LPARAM lParam;
} TEventUI;

// A named notification raised by a control.
typedef struct tagTNotifyUI {
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WPARAM wParam;
    LPARAM lParam;
} TNotifyUI;

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

/////////////////////////////////////////////////////////////////////////////////////
// Message maps

class CNotifyPump;

typedef void (CNotifyPump::*UI_PMSG)(TNotifyUI& msg);
typedef LRESULT (CNotifyPump::*UI_PMSG_LWL)(WPARAM wParam, LPARAM lParam);

enum UISig {
    UISig_end = 0, // ends the entry array
    UISig_lwl = 1, // LRESULT handler(WPARAM, LPARAM) with the notification's wParam and lParam
    UISig_vn = 2,  // void handler(TNotifyUI&)
};

// The handler member that nSig names is the one set.
union UI_MSGMAP_HANDLER {
    UI_PMSG pfn_vn;
    UI_PMSG_LWL pfn_lwl;
};

struct UI_MSGMAP_ENTRY {
    CUIString sMsgType;
    CUIString sCtrlName; // empty: any sender
    UINT nSig;
    UI_MSGMAP_HANDLER pfn;
};

struct UI_MSGMAP {
    const UI_MSGMAP* (*pfnGetBaseMap)(); // null: no base map
    const UI_MSGMAP_ENTRY* lpEntries;
};

// In the class body.
#define UI_DECLARE_MESSAGE_MAP()                                                                   \
private:                                                                                           \
    static const UI_MSGMAP_ENTRY _messageEntries[];                                                \
                                                                                                   \
protected:                                                                                         \
    static const UI_MSGMAP messageMap;                                                             \
    static const UI_MSGMAP* _GetBaseMessageMap();                                                  \
                                                                                                   \
public:                                                                                            \
    const UI_MSGMAP* GetMessageMap() const override;                                               \
                                                                                                   \
private:

// In one source file: UI_BEGIN_MESSAGE_MAP(CMyWnd, CBase) entries... UI_END_MESSAGE_MAP()
#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                  \
    const UI_MSGMAP* theClass::_GetBaseMessageMap() { return &baseClass::messageMap; }            \
    const UI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; }            \
    const UI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap, &theClass::_messageEntries[0]}; \
    const UI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define UI_END_MESSAGE_MAP()                                                                       \
    { CUIString(), CUIString(), UISig_end, {.pfn_vn = nullptr} }                                               \
    }                                                                                              \
    ;

// void handler(TNotifyUI&) for a type from any sender.
#define UI_ON_MSGTYPE(msgtype, memberFxn)                                                          \
    {CUIString(msgtype), CUIString(), UISig_vn, {.pfn_vn = static_cast<UI_PMSG>(&memberFxn)}},

// void handler(TNotifyUI&) for a type from the named sender.
#define UI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn)                                         \
    {CUIString(msgtype), CUIString(ctrname), UISig_vn, {.pfn_vn = static_cast<UI_PMSG>(&memberFxn)}},

#define UI_ON_CLICK_CTRNAME(ctrname, memberFxn) UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_CLICK, ctrname, memberFxn)
#define UI_ON_SELECTCHANGED_CTRNAME(ctrname, memberFxn)                                            \
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_SELECTCHANGED, ctrname, memberFxn)
#define UI_ON_KILLFOCUS_CTRNAME(ctrname, memberFxn)                                                \
    UI_ON_MSGTYPE_CTRNAME(UI_MSGTYPE_KILLFOCUS, ctrname, memberFxn)

// LRESULT handler(WPARAM, LPARAM) for a type from the named sender (empty: any).
#define UI_ON_MSGTYPE_LWL(msgtype, ctrname, memberFxn)                                             \
    {CUIString(msgtype), CUIString(ctrname), UISig_lwl,                                            \
     {.pfn_lwl = static_cast<UI_PMSG_LWL>(&memberFxn)}},

// Dispatches notifications through the message map of the most derived class, or through
// the pump of a virtual window when the notification names one.
class CNotifyPump {
public:
    CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    virtual const UI_MSGMAP* GetMessageMap() const;
    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(CUIString strName, CNotifyPump* pObject); // false when the name exists
    bool RemoveVirtualWnd(CUIString strName);                    // false when absent
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

protected:
    static const UI_MSGMAP messageMap;
    static const UI_MSGMAP* _GetBaseMessageMap();

private:
    static const UI_MSGMAP_ENTRY _messageEntries[];
    CStdStringPtrMap m_VirtualWndMap;
};
