// Window markup, language files and alias files: thin wide-character wrappers over pugixml
// that add the skin file lookup, a stored error text and readers of the framework's value
// formats. Strings are returned by value (the library keeps UTF-8): keep a CUIString, not
// the pointer of a temporary.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

#include <pugixml.hpp>

#include <memory>

enum xml_node_type_ui {
    node_null_ui,        // empty handle
    node_document_ui,    // the document node
    node_element_ui,     // <name/>
    node_pcdata_ui,      // character data
    node_cdata_ui,       // <![CDATA[...]]>
    node_comment_ui,     // <!-- ... -->
    node_pi_ui,          // <?name ...?>
    node_declaration_ui, // <?xml ...?>
    node_doctype_ui,     // <!DOCTYPE ...>
};

class CXmlAttributeUI {
public:
    CXmlAttributeUI() = default;
    explicit CXmlAttributeUI(pugi::xml_attribute attr) : m_attr(attr) {}

    bool empty() const { return m_attr.empty(); }
    explicit operator bool() const { return !empty(); }
    bool operator!() const { return empty(); }
    bool operator==(const CXmlAttributeUI& r) const { return m_attr == r.m_attr; }
    bool operator!=(const CXmlAttributeUI& r) const { return m_attr != r.m_attr; }

    CUIString name() const;
    CUIString value() const;
    CXmlAttributeUI next_attribute() const { return CXmlAttributeUI(m_attr.next_attribute()); }
    CXmlAttributeUI previous_attribute() const { return CXmlAttributeUI(m_attr.previous_attribute()); }

    CUIString as_string(LPCTSTR def = L"") const;
    int as_int(int def = 0) const { return m_attr.as_int(def); }
    unsigned int as_uint(unsigned int def = 0) const { return m_attr.as_uint(def); }
    double as_double(double def = 0) const { return m_attr.as_double(def); }
    float as_float(float def = 0) const { return m_attr.as_float(def); }
    bool as_bool(bool def = false) const { return m_attr.as_bool(def); }
    // "#AARRGGBB" or "0xRRGGBB"; an empty handle or unreadable text gives 0 (def is not used).
    DWORD as_uicolor(DWORD def = 0) const;
    POINT as_point(LONG x = 0, LONG y = 0) const;
    SIZE as_size(LONG cx = 0, LONG cy = 0) const;
    RECT as_rect(LONG left = 0, LONG top = 0, LONG right = 0, LONG bottom = 0) const;

    bool set_name(LPCTSTR rhs);
    bool set_value(LPCTSTR rhs);
    bool set_value(int rhs) { return m_attr.set_value(rhs); }
    bool set_value(unsigned int rhs) { return m_attr.set_value(rhs); }
    bool set_value(double rhs, int precision = 17) { return m_attr.set_value(rhs, precision); }
    bool set_value(float rhs, int precision = 9) { return m_attr.set_value(rhs, precision); }
    bool set_value(bool rhs) { return m_attr.set_value(rhs); }
    bool set_value(const POINT& rhs); // "x,y"
    bool set_value(const SIZE& rhs);  // "cx,cy"
    bool set_value(const RECT& rhs);  // "left,top,right,bottom"
    bool set_uicolor(DWORD rhs);      // "0x%08X"

    pugi::xml_attribute internal_object() const { return m_attr; }

private:
    pugi::xml_attribute m_attr;
};

class CXmlNodeUI {
public:
    CXmlNodeUI() = default;
    explicit CXmlNodeUI(pugi::xml_node node) : m_node(node) {}

    bool empty() const { return m_node.empty(); }
    explicit operator bool() const { return !empty(); }
    bool operator!() const { return empty(); }
    bool operator==(const CXmlNodeUI& r) const { return m_node == r.m_node; }
    bool operator!=(const CXmlNodeUI& r) const { return m_node != r.m_node; }

    xml_node_type_ui type() const { return static_cast<xml_node_type_ui>(m_node.type()); }
    CUIString name() const;
    CUIString value() const;

    CXmlAttributeUI first_attribute() const { return CXmlAttributeUI(m_node.first_attribute()); }
    CXmlAttributeUI last_attribute() const { return CXmlAttributeUI(m_node.last_attribute()); }
    CXmlNodeUI first_child() const { return CXmlNodeUI(m_node.first_child()); }
    CXmlNodeUI last_child() const { return CXmlNodeUI(m_node.last_child()); }
    CXmlNodeUI next_sibling() const { return CXmlNodeUI(m_node.next_sibling()); }
    CXmlNodeUI previous_sibling() const { return CXmlNodeUI(m_node.previous_sibling()); }
    CXmlNodeUI next_sibling(LPCTSTR name) const;
    CXmlNodeUI previous_sibling(LPCTSTR name) const;
    CXmlNodeUI parent() const { return CXmlNodeUI(m_node.parent()); }
    CXmlNodeUI root() const { return CXmlNodeUI(m_node.root()); }
    // Exact letter case.
    CXmlNodeUI child(LPCTSTR name) const;
    CXmlAttributeUI attribute(LPCTSTR name) const;

    bool set_name(LPCTSTR rhs);
    bool set_value(LPCTSTR rhs);
    CXmlAttributeUI append_attribute(LPCTSTR name);
    CXmlAttributeUI prepend_attribute(LPCTSTR name);
    bool remove_attribute(LPCTSTR name);
    CXmlNodeUI append_child(LPCTSTR name);
    CXmlNodeUI prepend_child(LPCTSTR name);
    bool remove_child(const CXmlNodeUI& n) { return m_node.remove_child(n.m_node); }
    bool remove_children() { return m_node.remove_children(); }
    // The named child or attribute, appended when there is none.
    CXmlNodeUI child_auto(LPCTSTR name);
    CXmlAttributeUI attribute_auto(LPCTSTR name);

    pugi::xml_node internal_object() const { return m_node; }

protected:
    pugi::xml_node m_node;
};

class CXmlDocumentUI : public CXmlNodeUI {
public:
    CXmlDocumentUI();
    CXmlDocumentUI(const CXmlDocumentUI&) = delete;
    CXmlDocumentUI& operator=(const CXmlDocumentUI&) = delete;
    ~CXmlDocumentUI();

    // Reads the skin file (markup reading) and parses it; on failure the reason is kept.
    bool load_file(LPCTSTR pstrFilename);
    // Parses a copy of the bytes; the encoding is detected (byte-order mark, first bytes, else UTF-8).
    bool load_buffer(const void* contents, size_t size);
    // Parses wide-character markup already in memory.
    bool load_string(LPCTSTR contents);
    // The last failure; a later successful load does not clear it.
    LPCTSTR GetError() const { return m_strError; }

    bool save_file(LPCTSTR path) const;
    bool save_to_default_file() const;

    bool _Failed(LPCTSTR pstrError);

private:
    void reset();

    std::unique_ptr<pugi::xml_document> m_doc;
    CUIString m_strFileName;
    CUIString m_strError;
};
