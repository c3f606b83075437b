#include "ui/controls/UIControl.h"
#include "ui/core/UIFrmBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TNotifyUI Msg(LPCTSTR type, CControlUI* sender, WPARAM w = 0, LPARAM l = 0)
{
    TNotifyUI msg{};
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = w;
    msg.lParam = l;
    return msg;
}

class BasePump : public CNotifyPump {
    UI_DECLARE_MESSAGE_MAP()
public:
    std::vector<std::string> calls;
    void OnBaseOnly(TNotifyUI&) { calls.push_back("base-only"); }
    void OnBaseClick(TNotifyUI&) { calls.push_back("base-click"); }
};

UI_BEGIN_MESSAGE_MAP(BasePump, CNotifyPump)
UI_ON_MSGTYPE(L"baseonly", BasePump::OnBaseOnly)
UI_ON_MSGTYPE(L"click", BasePump::OnBaseClick)
UI_END_MESSAGE_MAP()

class Pump : public BasePump {
    UI_DECLARE_MESSAGE_MAP()
public:
    void OnAnyFirst(TNotifyUI&) { calls.push_back("any-first"); }
    void OnAnyLast(TNotifyUI&) { calls.push_back("any-last"); }
    void OnOk(TNotifyUI&) { calls.push_back("ok"); }
    void OnCancel(TNotifyUI&) { calls.push_back("cancel"); }
    LRESULT OnValue(WPARAM w, LPARAM l)
    {
        calls.push_back("value " + std::to_string(w) + " " + std::to_string(l));
        return 0;
    }
};

UI_BEGIN_MESSAGE_MAP(Pump, BasePump)
UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, Pump::OnAnyFirst)
UI_ON_CLICK_CTRNAME(L"btn_ok", Pump::OnOk)
UI_ON_MSGTYPE(UI_MSGTYPE_CLICK, Pump::OnAnyLast)
UI_ON_CLICK_CTRNAME(L"btn_cancel", Pump::OnCancel)
UI_ON_MSGTYPE_LWL(UI_MSGTYPE_VALUECHANGED, L"", Pump::OnValue)
UI_END_MESSAGE_MAP()

} // namespace

TEST(NotifyPump, FindsTheEntryForTypeAndSender)
{
    CControlUI ok, cancel, other;
    ok.SetName(L"btn_ok");
    cancel.SetName(L"btn_cancel");
    other.SetName(L"BTN_OK"); // names of senders are matched exactly
    struct Case {
        const wchar_t* type;
        CControlUI* sender;
        bool dispatched;
        const char* call;
    } cases[] = {
        {L"click", &ok, true, "ok"},
        {L"click", &cancel, true, "cancel"},
        {L"click", &other, true, "any-last"},
        {L"click", nullptr, true, "any-last"},
        {L"Click", &ok, false, ""},
        {L"baseonly", &ok, true, "base-only"},
        {L"unknown", &ok, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.type)));
        Pump pump;
        TNotifyUI msg = Msg(c.type, c.sender);
        EXPECT_EQ(pump.LoopDispatch(msg), c.dispatched);
        EXPECT_EQ(pump.calls, c.dispatched ? std::vector<std::string>{c.call} : std::vector<std::string>{});
    }
    Pump pump;
    TNotifyUI value = Msg(L"valuechanged", &ok, 7, -3);
    EXPECT_TRUE(pump.LoopDispatch(value));
    EXPECT_EQ(pump.calls, std::vector<std::string>{"value 7 -3"});
}

TEST(NotifyPump, VirtualWindowsTakeStampedNotifications)
{
    Pump main, page;
    EXPECT_TRUE(main.AddVirtualWnd(L"Page1", &page));
    EXPECT_FALSE(main.AddVirtualWnd(L"Page1", &page));
    CControlUI ok;
    ok.SetName(L"btn_ok");

    TNotifyUI msg = Msg(L"click", &ok);
    msg.sVirtualWnd = L"page1"; // matched ignoring case
    main.NotifyPump(msg);
    EXPECT_EQ(page.calls, std::vector<std::string>{"ok"});
    EXPECT_TRUE(main.calls.empty());

    // A virtual window that does not handle the type leaves it to the pump itself.
    TNotifyUI unhandled = Msg(L"baseonly", &ok);
    unhandled.sVirtualWnd = L"nosuchpage";
    main.NotifyPump(unhandled);
    EXPECT_EQ(main.calls, std::vector<std::string>{"base-only"});

    EXPECT_TRUE(main.RemoveVirtualWnd(L"Page1"));
    EXPECT_FALSE(main.RemoveVirtualWnd(L"Page1"));
}

namespace {

class Frame : public CUIFrmBase {
public:
    CPaintManagerUI* GetManager() const override { return nullptr; }
    void OnNotifyClick(TNotifyUI& msg) override { calls.push_back("click"); }
    void OnNotifyWindowPrepare(TNotifyUI& msg) override { calls.push_back("windowinit"); }
    void OnNotityGridGetDispInfo(TNotifyUI& msg) override { calls.push_back("gridgetdispinfo"); }
    void OnNotifySciNotify(TNotifyUI& msg) override { calls.push_back("scinotify"); }
    std::vector<std::string> calls;
};

} // namespace

TEST(FrmBase, MapsAllFortyThreeTypesToVirtualHandlers)
{
    const wchar_t* types[] = {
        L"click", L"rclick", L"dbclick", L"menu", L"link", L"timer", L"return", L"scroll", L"predropdown",
        L"dropdown", L"setfocus", L"killfocus", L"itemclick", L"itemrclick", L"tabselect", L"itemselect",
        L"itemexpand", L"windowinit", L"windowsize", L"buttondown", L"mouseenter", L"mouseleave",
        L"textchanged", L"headerclick", L"itemdbclick", L"showactivex", L"itemcollapse", L"itemactivate",
        L"valuechanged", L"selectchanged", L"initcell", L"drawitem", L"sortitem", L"startedit", L"endedit",
        L"deleteitem", L"gridstartedit", L"gridendedit", L"gridstartselchange", L"gridendselchange",
        L"griddropdownlist", L"gridgetdispinfo", L"scinotify",
    };
    static_assert(sizeof types / sizeof types[0] == 43);
    Frame frame;
    CControlUI sender;
    sender.SetName(L"any");
    for (const wchar_t* type : types) {
        TNotifyUI msg = Msg(type, &sender);
        EXPECT_TRUE(frame.LoopDispatch(msg)) << testing::PrintToString(std::wstring(type));
    }
    TNotifyUI unknown = Msg(L"unknown", &sender);
    EXPECT_FALSE(frame.LoopDispatch(unknown));
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"click", "windowinit", "gridgetdispinfo", "scinotify"}));

    frame.calls.clear();
    TNotifyUI click = Msg(L"click", &sender);
    frame.Notify(click);
    EXPECT_EQ(frame.calls, std::vector<std::string>{"click"});
    EXPECT_FALSE(frame.OnCustomMessage(0x400, 0, 0));
}

TEST(FrmBase, SenderTests)
{
    Frame frame;
    CControlUI button;
    button.SetName(L"btn_Install");
    TNotifyUI msg = Msg(L"click", &button);
    TNotifyUI none = Msg(L"click", nullptr);
    EXPECT_TRUE(frame.IsControl(msg, &button));
    EXPECT_FALSE(frame.IsControl(none, &button));
    EXPECT_TRUE(frame.IsControl(msg, L"BTN_install"));
    EXPECT_FALSE(frame.IsControl(msg, L"btn_Run"));
    EXPECT_FALSE(frame.IsControl(none, L"btn_Install"));
    EXPECT_TRUE(frame.IsClass(msg, button.GetClass()));
    EXPECT_FALSE(frame.IsClass(msg, L"ButtonUI"));
    EXPECT_TRUE(frame.IsInterface(msg, L"control"));
    EXPECT_FALSE(frame.IsInterface(msg, L"Button"));
    EXPECT_FALSE(frame.IsInterface(none, L"Control"));
}
