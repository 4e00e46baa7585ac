#include "profiles/xml_document.h"

#include <windows.h>
#include <msxml2.h>
#include <ole2.h>

#include <charconv>
#include <cstdio>
#include <limits>

#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra {
namespace {

// The import libraries of the cross compiler lack some of these identifiers, so they are
// spelled out here.
constexpr GUID kClsidDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr GUID kClsidDomDocument40 = {
    0x88d969c0, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr GUID kClsidDomDocument30 = {
    0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr GUID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr GUID kIidXmlDomElement = {
    0x2933bf86, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::string HexCode(HRESULT code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

void Check(HRESULT result, const std::string& what) {
  if (FAILED(result)) throw Exception(what + " (" + HexCode(result) + ")");
}

class TBstr {
 public:
  TBstr() = default;
  explicit TBstr(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (text_ == nullptr) throw std::bad_alloc();
  }
  ~TBstr() { SysFreeString(text_); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;

  BSTR Get() const { return text_; }
  BSTR* Put() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  // Hands the string over to the caller.
  BSTR Detach() { return std::exchange(text_, nullptr); }
  std::string Utf8() const {
    return text_ ? WideToUtf8(std::wstring_view(text_, SysStringLen(text_))) : std::string();
  }

 private:
  BSTR text_ = nullptr;
};

class TVariant {
 public:
  TVariant() { VariantInit(&value_); }
  // A string variant; the variant owns its copy.
  explicit TVariant(const std::string& text) : TVariant() {
    TBstr copy(text);
    value_.vt = VT_BSTR;
    value_.bstrVal = copy.Detach();
  }
  ~TVariant() { VariantClear(&value_); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;

  VARIANT& Get() { return value_; }

 private:
  VARIANT value_;
};

TComPtr<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
  TComPtr<IXMLDOMElement> element;
  DOMNodeType type = NODE_INVALID;
  if (SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT) {
    node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.Put()));
  }
  return element;
}

TComPtr<IXMLDOMDocument> OwnerDocument(IXMLDOMElement* element) {
  TComPtr<IXMLDOMDocument> document;
  Check(element->get_ownerDocument(document.Put()), "XML: an element without a document");
  return document;
}

}  // namespace

TComScope::TComScope() {
  // OLE brings COM with it in a single-threaded apartment.
  initialized_ = SUCCEEDED(OleInitialize(nullptr));
}

TComScope::~TComScope() {
  if (initialized_) OleUninitialize();
}

TXmlElement::TXmlElement(TComPtr<IXMLDOMElement> element) : element_(std::move(element)) {
  if (!element_) throw Exception("XML: no element");
}

TXmlElement::TXmlElement(const TXmlElement& other) = default;
TXmlElement::TXmlElement(TXmlElement&& other) noexcept = default;
TXmlElement& TXmlElement::operator=(const TXmlElement& other) = default;
TXmlElement& TXmlElement::operator=(TXmlElement&& other) noexcept = default;
TXmlElement::~TXmlElement() = default;

std::string TXmlElement::Name() const {
  TBstr name;
  Check(element_->get_tagName(name.Put()), "XML: cannot read an element name");
  return name.Utf8();
}

std::string TXmlElement::Text() const {
  TBstr text;
  Check(element_->get_text(text.Put()), "XML: cannot read the text of " + Name());
  return text.Utf8();
}

void TXmlElement::SetText(const std::string& text) {
  TBstr value(text);
  Check(element_->put_text(value.Get()), "XML: cannot set the text of " + Name());
}

std::optional<std::string> TXmlElement::Attribute(const std::string& name) const {
  TBstr attribute(name);
  TVariant value;
  const HRESULT result = element_->getAttribute(attribute.Get(), &value.Get());
  Check(result, "XML: cannot read the attribute " + name);
  if (result != S_OK || value.Get().vt != VT_BSTR) return std::nullopt;
  const BSTR text = value.Get().bstrVal;
  return text ? WideToUtf8(std::wstring_view(text, SysStringLen(text))) : std::string();
}

void TXmlElement::SetAttribute(const std::string& name, const std::string& value) {
  TBstr attribute(name);
  TVariant text(value);
  Check(element_->setAttribute(attribute.Get(), text.Get()),
        "XML: cannot set the attribute " + name);
}

std::vector<TXmlElement> TXmlElement::Children() const {
  std::vector<TXmlElement> children;
  TComPtr<IXMLDOMNode> node;
  Check(element_->get_firstChild(node.Put()), "XML: cannot read the children of " + Name());
  while (node) {
    if (TComPtr<IXMLDOMElement> element = AsElement(node.Get())) {
      children.emplace_back(std::move(element));
    }
    TComPtr<IXMLDOMNode> next;
    Check(node->get_nextSibling(next.Put()), "XML: cannot read the children of " + Name());
    node = std::move(next);
  }
  return children;
}

std::optional<TXmlElement> TXmlElement::Child(const std::string& name) const {
  return std::move(FirstChildren({name}).front());
}

std::vector<std::optional<TXmlElement>> TXmlElement::FirstChildren(
    const std::vector<std::string>& names) const {
  std::vector<std::optional<TXmlElement>> found(names.size());
  size_t missing = names.size();
  TComPtr<IXMLDOMNode> node;
  Check(element_->get_firstChild(node.Put()), "XML: cannot read the children of " + Name());
  while (node && missing != 0) {
    if (TComPtr<IXMLDOMElement> element = AsElement(node.Get())) {
      TXmlElement child(std::move(element));
      const std::string name = child.Name();
      for (size_t i = 0; i < names.size(); ++i) {
        if (!found[i] && names[i] == name) {
          found[i] = child;
          --missing;
        }
      }
    }
    if (missing == 0) break;
    TComPtr<IXMLDOMNode> next;
    Check(node->get_nextSibling(next.Put()), "XML: cannot read the children of " + Name());
    node = std::move(next);
  }
  return found;
}

TXmlElement TXmlElement::AddChild(const std::string& name) {
  TComPtr<IXMLDOMDocument> document = OwnerDocument(element_.Get());
  TBstr tag(name);
  TComPtr<IXMLDOMElement> child;
  Check(document->createElement(tag.Get(), child.Put()), "XML: cannot create " + name);
  Check(element_->appendChild(child.Get(), nullptr), "XML: cannot add " + name);
  return TXmlElement(std::move(child));
}

TXmlDocument::TXmlDocument() {
  static constexpr struct {
    const GUID* Clsid;
    int Version;
  } kComponents[] = {
      {&kClsidDomDocument60, 6}, {&kClsidDomDocument40, 4}, {&kClsidDomDocument30, 3}};
  HRESULT result = E_FAIL;
  for (const auto& component : kComponents) {
    result = CoCreateInstance(*component.Clsid, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument,
                              reinterpret_cast<void**>(document_.Put()));
    if (SUCCEEDED(result) && document_) {
      version_ = component.Version;
      break;
    }
  }
  Check(result, "No XML document component can be created");
  // Settings are read from a local file, whole, and refer to nothing outside it.
  document_->put_async(VARIANT_FALSE);
  document_->put_validateOnParse(VARIANT_FALSE);
  document_->put_resolveExternals(VARIANT_FALSE);
}

TXmlDocument::~TXmlDocument() = default;

void TXmlDocument::Load(const std::string& path) {
  TVariant source(path);
  // Element texts are file paths: blanks at their ends belong to them.
  document_->put_preserveWhiteSpace(VARIANT_TRUE);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT result = document_->load(source.Get(), &loaded);
  if (SUCCEEDED(result) && loaded == VARIANT_TRUE) return;
  std::string reason = "cannot load " + path;
  TComPtr<IXMLDOMParseError> error;
  if (SUCCEEDED(document_->get_parseError(error.Put())) && error) {
    TBstr text;
    LONG line = 0;
    error->get_line(&line);
    if (SUCCEEDED(error->get_reason(text.Put())) && !text.Utf8().empty()) {
      reason += ", line " + std::to_string(line) + ": " + text.Utf8();
    }
  }
  throw Exception(reason + " (" + HexCode(result) + ")");
}

std::optional<TXmlElement> TXmlDocument::Root() const {
  TComPtr<IXMLDOMElement> root;
  Check(document_->get_documentElement(root.Put()), "XML: cannot read the document element");
  if (!root) return std::nullopt;
  return TXmlElement(std::move(root));
}

TXmlElement TXmlDocument::CreateRoot(const std::string& name) {
  TBstr target("xml");
  TBstr data("version=\"1.0\" encoding=\"UTF-8\"");
  TComPtr<IXMLDOMProcessingInstruction> declaration;
  Check(document_->createProcessingInstruction(target.Get(), data.Get(), declaration.Put()),
        "XML: cannot create the declaration");
  Check(document_->appendChild(declaration.Get(), nullptr), "XML: cannot add the declaration");
  TBstr tag(name);
  TComPtr<IXMLDOMElement> root;
  Check(document_->createElement(tag.Get(), root.Put()), "XML: cannot create " + name);
  Check(document_->appendChild(root.Get(), nullptr), "XML: cannot add " + name);
  return TXmlElement(std::move(root));
}

void TXmlDocument::Save(const std::string& path) const {
  TVariant destination(path);
  Check(document_->save(destination.Get()), "Cannot save " + path);
}

std::string BoolText(bool value) { return value ? "True" : "False"; }

bool ParseBool(std::string_view text) {
  if (SameTextAscii(text, "True")) return true;
  if (SameTextAscii(text, "False")) return false;
  return ParseInt(text) != 0;
}

int32_t ParseInt(std::string_view text) {
  std::string_view digits = text;
  if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    throw Exception("\"" + std::string(text) + "\" is not a valid number");
  }
  return value;
}

}  // namespace movra
