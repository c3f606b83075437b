#include "ui/markup/UIMarkup.h"

#include "ui/markup/UISkinFile.h"

#include <cwchar>
#include <string>

namespace {

CUIString FromUtf8(const char* text)
{
    if (text == nullptr || *text == 0)
        return CUIString();
    int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return CUIString();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    return CUIString(wide.c_str());
}

std::string ToUtf8(LPCTSTR text)
{
    if (text == nullptr || *text == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// Reads decimal integers separated by one character each; a missing number reads as 0.
void ReadNumbers(LPCTSTR text, LONG* values, int count)
{
    LPCTSTR p = text;
    for (int i = 0; i < count; i++) {
        values[i] = 0;
        if (p == nullptr || *p == 0) {
            p = nullptr;
            continue;
        }
        wchar_t* end = nullptr;
        values[i] = static_cast<LONG>(wcstol(p, &end, 10));
        p = (end != nullptr && *end != 0) ? end + 1 : nullptr;
    }
}

} // namespace

// ---- attributes ----

CUIString CXmlAttributeUI::name() const { return FromUtf8(m_attr.name()); }

CUIString CXmlAttributeUI::value() const { return FromUtf8(m_attr.value()); }

CUIString CXmlAttributeUI::as_string(LPCTSTR def) const { return empty() ? CUIString(def) : value(); }

DWORD CXmlAttributeUI::as_uicolor(DWORD) const
{
    if (empty())
        return 0;
    CUIString text = value();
    LPCTSTR p = text;
    while (*p != 0 && *p <= L' ')
        p++;
    if (*p == L'#')
        p++;
    wchar_t* end = nullptr;
    unsigned long v = wcstoul(p, &end, 16);
    if (end == p)
        return 0;
    return static_cast<DWORD>(v);
}

POINT CXmlAttributeUI::as_point(LONG x, LONG y) const
{
    CUIString text = value();
    if (text.IsEmpty())
        return POINT{x, y};
    LONG v[2];
    ReadNumbers(text, v, 2);
    return POINT{v[0], v[1]};
}

SIZE CXmlAttributeUI::as_size(LONG cx, LONG cy) const
{
    CUIString text = value();
    if (text.IsEmpty())
        return SIZE{cx, cy};
    LONG v[2];
    ReadNumbers(text, v, 2);
    return SIZE{v[0], v[1]};
}

RECT CXmlAttributeUI::as_rect(LONG left, LONG top, LONG right, LONG bottom) const
{
    CUIString text = value();
    if (text.IsEmpty())
        return RECT{left, top, right, bottom};
    LONG v[4];
    ReadNumbers(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

bool CXmlAttributeUI::set_name(LPCTSTR rhs) { return m_attr.set_name(ToUtf8(rhs).c_str()); }

bool CXmlAttributeUI::set_value(LPCTSTR rhs) { return m_attr.set_value(ToUtf8(rhs).c_str()); }

bool CXmlAttributeUI::set_value(const POINT& rhs)
{
    CUIString s;
    s.Format(L"%ld,%ld", rhs.x, rhs.y);
    return set_value(s.GetData());
}

bool CXmlAttributeUI::set_value(const SIZE& rhs)
{
    CUIString s;
    s.Format(L"%ld,%ld", rhs.cx, rhs.cy);
    return set_value(s.GetData());
}

bool CXmlAttributeUI::set_value(const RECT& rhs)
{
    CUIString s;
    s.Format(L"%ld,%ld,%ld,%ld", rhs.left, rhs.top, rhs.right, rhs.bottom);
    return set_value(s.GetData());
}

bool CXmlAttributeUI::set_uicolor(DWORD rhs)
{
    CUIString s;
    s.Format(L"0x%08X", rhs);
    return set_value(s.GetData());
}

// ---- nodes ----

CUIString CXmlNodeUI::name() const { return FromUtf8(m_node.name()); }

CUIString CXmlNodeUI::value() const { return FromUtf8(m_node.value()); }

CXmlNodeUI CXmlNodeUI::next_sibling(LPCTSTR name) const
{
    return CXmlNodeUI(m_node.next_sibling(ToUtf8(name).c_str()));
}

CXmlNodeUI CXmlNodeUI::previous_sibling(LPCTSTR name) const
{
    return CXmlNodeUI(m_node.previous_sibling(ToUtf8(name).c_str()));
}

CXmlNodeUI CXmlNodeUI::child(LPCTSTR name) const { return CXmlNodeUI(m_node.child(ToUtf8(name).c_str())); }

CXmlAttributeUI CXmlNodeUI::attribute(LPCTSTR name) const
{
    return CXmlAttributeUI(m_node.attribute(ToUtf8(name).c_str()));
}

bool CXmlNodeUI::set_name(LPCTSTR rhs) { return m_node.set_name(ToUtf8(rhs).c_str()); }

bool CXmlNodeUI::set_value(LPCTSTR rhs) { return m_node.set_value(ToUtf8(rhs).c_str()); }

CXmlAttributeUI CXmlNodeUI::append_attribute(LPCTSTR name)
{
    return CXmlAttributeUI(m_node.append_attribute(ToUtf8(name).c_str()));
}

CXmlAttributeUI CXmlNodeUI::prepend_attribute(LPCTSTR name)
{
    return CXmlAttributeUI(m_node.prepend_attribute(ToUtf8(name).c_str()));
}

bool CXmlNodeUI::remove_attribute(LPCTSTR name) { return m_node.remove_attribute(ToUtf8(name).c_str()); }

CXmlNodeUI CXmlNodeUI::append_child(LPCTSTR name) { return CXmlNodeUI(m_node.append_child(ToUtf8(name).c_str())); }

CXmlNodeUI CXmlNodeUI::prepend_child(LPCTSTR name) { return CXmlNodeUI(m_node.prepend_child(ToUtf8(name).c_str())); }

CXmlNodeUI CXmlNodeUI::child_auto(LPCTSTR name)
{
    CXmlNodeUI found = child(name);
    return found ? found : append_child(name);
}

CXmlAttributeUI CXmlNodeUI::attribute_auto(LPCTSTR name)
{
    CXmlAttributeUI found = attribute(name);
    return found ? found : append_attribute(name);
}

// ---- documents ----

CXmlDocumentUI::CXmlDocumentUI() : m_doc(std::make_unique<pugi::xml_document>()) { m_node = *m_doc; }

CXmlDocumentUI::~CXmlDocumentUI() = default;

void CXmlDocumentUI::reset()
{
    m_doc->reset();
    m_node = *m_doc;
}

bool CXmlDocumentUI::_Failed(LPCTSTR pstrError)
{
    m_strError = pstrError;
    return false;
}

bool CXmlDocumentUI::load_file(LPCTSTR pstrFilename)
{
    m_strFileName = pstrFilename;
    SkinFileData data;
    CUIString error;
    if (!ReadSkinFile(pstrFilename, data, error)) {
        reset();
        return _Failed(error);
    }
    return load_buffer(data.bytes.get(), data.size);
}

bool CXmlDocumentUI::load_buffer(const void* contents, size_t size)
{
    reset();
    if (contents == nullptr)
        size = 0;
    pugi::xml_parse_result result = m_doc->load_buffer(contents, size, pugi::parse_full, pugi::encoding_auto);
    if (!result) {
        reset();
        return _Failed(FromUtf8(result.description()));
    }
    return true;
}

bool CXmlDocumentUI::load_string(LPCTSTR contents)
{
    reset();
    size_t length = contents != nullptr ? wcslen(contents) : 0;
    pugi::xml_parse_result result =
        m_doc->load_buffer(contents != nullptr ? contents : L"", length * sizeof(wchar_t), pugi::parse_full,
                           pugi::encoding_wchar);
    if (!result) {
        reset();
        CUIString error;
        error = result.description(); // narrow text in the ANSI code page
        return _Failed(error);
    }
    return true;
}

bool CXmlDocumentUI::save_file(LPCTSTR path) const
{
    if (path == nullptr || *path == 0)
        return false;
    struct StringWriter : pugi::xml_writer {
        std::string out;
        void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
    } writer;
    m_doc->save(writer, "", pugi::format_indent, pugi::encoding_utf8);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, writer.out.data(), static_cast<DWORD>(writer.out.size()), &written, nullptr) &&
              written == writer.out.size();
    CloseHandle(file);
    return ok;
}

bool CXmlDocumentUI::save_to_default_file() const { return save_file(m_strFileName); }
