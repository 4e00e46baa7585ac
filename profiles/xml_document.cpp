#include "profiles/xml_document.h"

#include <windows.h>
#include <msxml2.h>
#include <ole2.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

#include "runtime/exception.h"
#include "runtime/system_error.h"
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
constexpr GUID kClsidSaxReader60 = {
    0x88d96a0c, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr GUID kClsidSaxReader40 = {
    0x7c6e29bc, 0x8b8b, 0x4c3d, {0x85, 0x9e, 0xaf, 0x6c, 0xd1, 0x58, 0xbe, 0x0f}};
constexpr GUID kClsidSaxReader30 = {
    0x3124c396, 0xfb13, 0x4836, {0xa6, 0xad, 0x13, 0x17, 0xf1, 0x71, 0x36, 0x88}};
constexpr GUID kIidSaxReader = {
    0xa4f96ed0, 0xf829, 0x476e, {0x81, 0xc0, 0xcd, 0xc7, 0xbd, 0x2a, 0x08, 0x02}};
constexpr GUID kIidSaxContentHandler = {
    0x1545cdfa, 0x9e4e, 0x4497, {0xa8, 0xa4, 0x2b, 0xf7, 0xd0, 0x11, 0x2c, 0x44}};
constexpr GUID kIidSaxErrorHandler = {
    0xa60511c4, 0xccf5, 0x479e, {0x98, 0xa3, 0xdc, 0x8d, 0xc5, 0x45, 0xb7, 0xd0}};
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
  if (!FAILED(result)) return;
  const std::string text = HResultText(result);
  throw Exception(what + (text.empty() ? "" : ": " + text) + " (" + HexCode(result) + ")");
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

TComPtr<IXMLDOMDocument> OwnerDocument(IXMLDOMElement* element) {
  TComPtr<IXMLDOMDocument> document;
  Check(element->get_ownerDocument(document.Put()), "XML: an element without a document");
  return document;
}

// The newest component of the list that can be created: 6.0, then 4.0, then 3.0.
template <class T>
int CreateNewest(const GUID* const (&classes)[3], const GUID& iid, TComPtr<T>& object) {
  static constexpr int kVersions[] = {6, 4, 3};
  HRESULT result = E_FAIL;
  for (size_t i = 0; i < 3; ++i) {
    result = CoCreateInstance(*classes[i], nullptr, CLSCTX_INPROC_SERVER, iid,
                              reinterpret_cast<void**>(object.Put()));
    if (SUCCEEDED(result) && object) return kVersions[i];
  }
  Check(result, "No XML component can be created");
  return 0;
}

}  // namespace

// Files each element in the tree as it is met, in document order. Both readers feed it: the
// streaming reader through its callbacks, the DOM by a walk over its nodes.
class TTreeBuilder {
 public:
  explicit TTreeBuilder(TXmlTree& tree) : tree_(tree) {}
  // The document element was read to its end.
  bool Complete() const { return complete_; }

  // Raises on a second document element.
  void StartElement(std::wstring_view name) {
    const size_t index = tree_.elements_.size();
    if (open_.empty() && index != 0) throw Exception("a second document element");
    TXmlTree::TElement element;
    element.Name = Keep(name);
    element.FirstAttribute = tree_.attributes_.size();
    element.TextBegin = tree_.text_.size();
    tree_.elements_.push_back(element);
    if (!open_.empty()) {
      TOpen& parent = open_.back();
      size_t& link = parent.LastChild == TXmlTree::kNone
                         ? tree_.elements_[parent.Index].FirstChild
                         : tree_.elements_[parent.LastChild].NextSibling;
      link = index;
      parent.LastChild = index;
    }
    open_.push_back({index, TXmlTree::kNone, false});
  }
  // An attribute of the element started last, before any of its content.
  void Attribute(std::wstring_view name, std::wstring_view value) {
    tree_.attributes_.push_back({Keep(name), Keep(value)});
    ++tree_.elements_.back().AttributeCount;
  }
  void EndElement() {
    if (open_.empty()) throw Exception("an end tag without a start tag");
    TXmlTree::TElement& element = tree_.elements_[open_.back().Index];
    if (!open_.back().TextGiven) element.TextEnd = tree_.text_.size();
    element.Whole = true;
    open_.pop_back();
    complete_ = open_.empty();
  }
  void Characters(std::wstring_view text) {
    // Outside the document element there is only white space, which no element holds.
    if (!open_.empty()) tree_.text_.append(text);
  }
  // The whole text of the element started last, its descendants' included, given at once
  // before its children; their texts are then kept apart from it.
  void ElementText(std::wstring_view text) {
    tree_.text_.append(text);
    tree_.elements_[open_.back().Index].TextEnd = tree_.text_.size();
    open_.back().TextGiven = true;
  }

 private:
  struct TOpen {
    size_t Index;
    size_t LastChild;
    bool TextGiven;
  };

  // The text in UTF-8 at the end of the tree's names; most of it is ASCII.
  TXmlTree::TSpan Keep(std::wstring_view text) {
    std::string& names = tree_.names_;
    const TXmlTree::TSpan span{names.size(), text.size()};
    for (const wchar_t c : text) {
      if (c >= 0x80) {
        names.resize(span.Begin);
        names += WideToUtf8(text);
        return {span.Begin, names.size() - span.Begin};
      }
      names.push_back(static_cast<char>(c));
    }
    return span;
  }

  TXmlTree& tree_;
  std::vector<TOpen> open_;
  bool complete_ = false;
};

namespace {

std::wstring_view View(const wchar_t* text, int length) {
  return text != nullptr && length > 0 ? std::wstring_view(text, static_cast<size_t>(length))
                                       : std::wstring_view();
}

// The file as the streaming reader is given it: a line break is put after the name of every
// start and end tag, where white space means nothing. The reader reckons the column of each
// event by looking back to the last line break, and a file written by the DOM is one line: on
// it that look-back made reading a large file several times slower. The line numbers of the
// file itself are kept for the reasons given. UTF-16 and UTF-32 files, and a file with a
// document type declaration, are given as they are.
class TLineBreakingStream final : public ISequentialStream {
 public:
  explicit TLineBreakingStream(IStream* file) : file_(file) {}

  // The line of the file that holds the line the reader counted.
  int FileLine(int line) const {
    if (line < 1) return line;
    const size_t index = static_cast<size_t>(line) - 1;
    return index < lines_.size() ? lines_[index] : line - static_cast<int>(inserted_);
  }

  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream) {
      *object = static_cast<ISequentialStream*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack of the reading and is handed to a reader released before it.
  ULONG WINAPI AddRef() override { return 1; }
  ULONG WINAPI Release() override { return 1; }

  HRESULT WINAPI Read(void* buffer, ULONG size, ULONG* read) override {
    ULONG done = 0;
    HRESULT result = S_OK;
    try {
      while (done < size) {
        if (at_ == out_.size()) {
          if (end_) break;
          result = Refill();
          if (FAILED(result)) break;
          continue;
        }
        const size_t count = std::min<size_t>(size - done, out_.size() - at_);
        std::memcpy(static_cast<char*>(buffer) + done, out_.data() + at_, count);
        at_ += count;
        done += static_cast<ULONG>(count);
      }
    } catch (...) {
      result = E_OUTOFMEMORY;
    }
    if (read != nullptr) *read = done;
    if (FAILED(result)) return result;
    return done == size ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

 private:
  enum class TState : uint8_t { Text, Open, EndOpen, Name, Tag, Quoted, Bang, Comment, Section,
                                Instruction, AsItIs };

  HRESULT Refill() {
    char chunk[64 * 1024];
    ULONG count = 0;
    const HRESULT result = file_->Read(chunk, sizeof chunk, &count);
    if (FAILED(result)) return result;
    out_.clear();
    at_ = 0;
    if (count == 0) {
      end_ = true;
      return S_OK;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunk);
    if (first_) {
      first_ = false;
      // A zero byte among the first two, or a UTF-16 byte order mark: not a byte encoding.
      if (bytes[0] == 0 || bytes[0] == 0xFE || bytes[0] == 0xFF || (count > 1 && bytes[1] == 0)) {
        state_ = TState::AsItIs;
      }
    }
    out_.reserve(count + count / 8);
    for (ULONG i = 0; i < count; ++i) Take(bytes[i]);
    return S_OK;
  }

  void Take(unsigned char byte) {
    switch (state_) {
      case TState::Text:
        if (byte == '<') state_ = TState::Open;
        break;
      case TState::Open:
        state_ = byte == '/' ? TState::EndOpen
                 : byte == '!' ? TState::Bang
                 : byte == '?' ? TState::Instruction
                               : TState::Name;
        break;
      case TState::EndOpen:
        state_ = TState::Name;
        break;
      case TState::Name:
        if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '>' ||
            byte == '/') {
          out_.push_back('\n');
          lines_.push_back(line_);
          ++inserted_;
          state_ = byte == '>' ? TState::Text : TState::Tag;
        }
        break;
      case TState::Tag:
        if (byte == '"' || byte == '\'') {
          quote_ = byte;
          state_ = TState::Quoted;
        } else if (byte == '>') {
          state_ = TState::Text;
        }
        break;
      case TState::Quoted:
        if (byte == quote_) state_ = TState::Tag;
        break;
      case TState::Bang:
        state_ = byte == '-' ? TState::Comment : byte == '[' ? TState::Section : TState::AsItIs;
        break;
      case TState::Comment:
        if (byte == '>' && last_[0] == '-' && last_[1] == '-') state_ = TState::Text;
        break;
      case TState::Section:
        if (byte == '>' && last_[0] == ']' && last_[1] == ']') state_ = TState::Text;
        break;
      case TState::Instruction:
        if (byte == '>' && last_[1] == '?') state_ = TState::Text;
        break;
      case TState::AsItIs:
        break;
    }
    out_.push_back(static_cast<char>(byte));
    // The reader's line breaks: CR LF, CR alone and LF alone.
    if (byte == '\r' || (byte == '\n' && last_[1] != '\r')) lines_.push_back(++line_);
    last_[0] = last_[1];
    last_[1] = byte;
  }

  IStream* file_;
  std::string out_;  // what the last chunk of the file became
  size_t at_ = 0;    // the next byte of out_ to hand over
  bool first_ = true;
  bool end_ = false;
  TState state_ = TState::Text;
  unsigned char quote_ = 0;
  unsigned char last_[2] = {0, 0};  // the two bytes of the file before the current one
  int line_ = 1;                    // of the file
  std::vector<int> lines_{1};       // the line of the file of each line handed over
  size_t inserted_ = 0;
};

// The streaming reader's handler: hands its events to a builder and keeps the first error the
// reader reports. Nothing is raised into the component: a failure, such as running out of
// memory, ends the reading with an error code and is reported once the reading has returned.
class TSaxHandler final : public ISAXContentHandler, public ISAXErrorHandler {
 public:
  TSaxHandler(TTreeBuilder& builder, const TLineBreakingStream& input)
      : builder_(builder), input_(input) {}
  // The reader's reason for stopping, with its line; empty when it gave none.
  const std::string& Error() const { return error_; }

  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == kIidSaxContentHandler) {
      *object = static_cast<ISAXContentHandler*>(this);
      return S_OK;
    }
    if (iid == kIidSaxErrorHandler) {
      *object = static_cast<ISAXErrorHandler*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack of the reading and is handed to a reader released before it: the
  // reader's references need no count.
  ULONG WINAPI AddRef() override { return 1; }
  ULONG WINAPI Release() override { return 1; }

  HRESULT WINAPI putDocumentLocator(ISAXLocator*) override { return S_OK; }
  HRESULT WINAPI startDocument() override { return S_OK; }
  HRESULT WINAPI endDocument() override { return S_OK; }
  HRESULT WINAPI startPrefixMapping(const wchar_t*, int, const wchar_t*, int) override {
    return S_OK;
  }
  HRESULT WINAPI endPrefixMapping(const wchar_t*, int) override { return S_OK; }

  HRESULT WINAPI startElement(const wchar_t*, int, const wchar_t*, int, const wchar_t* name,
                              int nameLength, ISAXAttributes* attributes) override {
    return Guard([&] {
      builder_.StartElement(View(name, nameLength));
      int count = 0;
      if (attributes != nullptr && FAILED(attributes->getLength(&count))) {
        throw Exception("the attributes cannot be read");
      }
      for (int i = 0; i < count; ++i) {
        const wchar_t* attributeName = nullptr;
        const wchar_t* value = nullptr;
        int attributeLength = 0;
        int valueLength = 0;
        if (FAILED(attributes->getQName(i, &attributeName, &attributeLength)) ||
            FAILED(attributes->getValue(i, &value, &valueLength))) {
          throw Exception("the attributes cannot be read");
        }
        builder_.Attribute(View(attributeName, attributeLength), View(value, valueLength));
      }
    });
  }
  HRESULT WINAPI endElement(const wchar_t*, int, const wchar_t*, int, const wchar_t*,
                            int) override {
    return Guard([&] { builder_.EndElement(); });
  }
  HRESULT WINAPI characters(const wchar_t* text, int length) override {
    return Guard([&] { builder_.Characters(View(text, length)); });
  }
  // White space belongs to the text, as the settings document keeps it.
  HRESULT WINAPI ignorableWhitespace(const wchar_t* text, int length) override {
    return characters(text, length);
  }
  HRESULT WINAPI processingInstruction(const wchar_t*, int, const wchar_t*, int) override {
    return S_OK;
  }
  HRESULT WINAPI skippedEntity(const wchar_t*, int) override { return S_OK; }

  HRESULT WINAPI error(ISAXLocator* locator, const wchar_t* message, HRESULT code) override {
    Remember(locator, message);
    return code;
  }
  HRESULT WINAPI fatalError(ISAXLocator* locator, const wchar_t* message,
                            HRESULT code) override {
    Remember(locator, message);
    return code;
  }
  HRESULT WINAPI ignorableWarning(ISAXLocator*, const wchar_t*, HRESULT) override {
    return S_OK;
  }

 private:
  template <class Step>
  HRESULT Guard(Step step) noexcept {
    try {
      step();
      return S_OK;
    } catch (const std::bad_alloc&) {
      Keep("out of memory");
      return E_OUTOFMEMORY;
    } catch (const std::exception& failure) {
      Keep(failure.what());
      return E_FAIL;
    } catch (...) {
      Keep("not well-formed");
      return E_FAIL;
    }
  }

  void Keep(const char* reason) noexcept {
    if (!error_.empty()) return;
    try {
      error_ = reason;
    } catch (...) {
    }
  }

  void Remember(ISAXLocator* locator, const wchar_t* message) noexcept {
    if (!error_.empty()) return;
    try {
      int line = 0;
      if (locator == nullptr || FAILED(locator->getLineNumber(&line))) line = 0;
      line = input_.FileLine(line);
      // The reason on one line: some reasons add a second line with the bytes in question.
      std::string reason;
      for (const char c : message != nullptr ? WideToUtf8(message) : std::string()) {
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (!blank) reason.push_back(c);
        else if (!reason.empty() && reason.back() != ' ') reason.push_back(' ');
      }
      if (!reason.empty() && reason.back() == ' ') reason.pop_back();
      if (reason.empty()) reason = "not well-formed";
      error_ = "line " + std::to_string(line) + ": " + reason;
    } catch (...) {
      Keep("not well-formed");
    }
  }

  TTreeBuilder& builder_;
  const TLineBreakingStream& input_;
  std::string error_;
};

std::wstring_view View(const TBstr& text) {
  return text.Get() != nullptr ? std::wstring_view(text.Get(), SysStringLen(text.Get()))
                               : std::wstring_view();
}

// Hands each child element of `parent` to the builder with its attributes,
// its text as the DOM gives it, and its child elements. The DOM's text of an element is
// taken whole: it expands the entity references in it, which the nodes themselves may not.
void WalkDom(IXMLDOMNode* parent, TTreeBuilder& builder) {
  // Through the list of children: an entity reference may not tell its next sibling.
  TComPtr<IXMLDOMNodeList> children;
  Check(parent->get_childNodes(children.Put()), "XML: cannot read the children");
  for (;;) {
    TComPtr<IXMLDOMNode> node;
    Check(children->nextNode(node.Put()), "XML: cannot read the children");
    if (!node) break;
    DOMNodeType type = NODE_INVALID;
    Check(node->get_nodeType(&type), "XML: cannot read the children");
    if (type == NODE_ELEMENT) {
      TComPtr<IXMLDOMElement> element;
      Check(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.Put())),
            "XML: cannot read an element");
      TBstr name;
      Check(element->get_nodeName(name.Put()), "XML: cannot read an element's name");
      builder.StartElement(View(name));
      TComPtr<IXMLDOMNamedNodeMap> attributes;
      Check(element->get_attributes(attributes.Put()), "XML: cannot read the attributes");
      LONG count = 0;
      if (attributes) Check(attributes->get_length(&count), "XML: cannot read the attributes");
      for (LONG i = 0; i < count; ++i) {
        TComPtr<IXMLDOMNode> attribute;
        Check(attributes->get_item(i, attribute.Put()), "XML: cannot read the attributes");
        if (!attribute) continue;
        Check(attribute->get_nodeName(name.Put()), "XML: cannot read the attributes");
        TVariant value;
        Check(element->getAttribute(name.Get(), &value.Get()), "XML: cannot read the attributes");
        const BSTR text = value.Get().vt == VT_BSTR ? value.Get().bstrVal : nullptr;
        builder.Attribute(View(name), text != nullptr ? std::wstring_view(text, SysStringLen(text))
                                                      : std::wstring_view());
      }
      TBstr text;
      Check(element->get_text(text.Put()), "XML: cannot read the text of an element");
      builder.ElementText(View(text));
      WalkDom(node.Get(), builder);
      builder.EndElement();
    }
  }
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

void TXmlElement::SetText(const std::string& text) {
  TBstr value(text);
  Check(element_->put_text(value.Get()), "XML: cannot set the text of " + Name());
}

void TXmlElement::SetAttribute(const std::string& name, const std::string& value) {
  TBstr attribute(name);
  TVariant text(value);
  Check(element_->setAttribute(attribute.Get(), text.Get()),
        "XML: cannot set the attribute " + name);
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
  static const GUID* const kComponents[] = {&kClsidDomDocument60, &kClsidDomDocument40,
                                            &kClsidDomDocument30};
  version_ = CreateNewest(kComponents, kIidXmlDomDocument, document_);
}

TXmlDocument::~TXmlDocument() = default;

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

std::string_view TXmlNode::Name() const { return tree_->View(tree_->elements_[index_].Name); }

std::string TXmlNode::Text() const {
  const TXmlTree::TElement& element = tree_->elements_[index_];
  return WideToUtf8(std::wstring_view(tree_->text_).substr(
      element.TextBegin, element.TextEnd - element.TextBegin));
}

std::optional<std::string> TXmlNode::Attribute(std::string_view name) const {
  const TXmlTree::TElement& element = tree_->elements_[index_];
  for (size_t i = 0; i < element.AttributeCount; ++i) {
    const TXmlTree::TAttribute& attribute = tree_->attributes_[element.FirstAttribute + i];
    if (tree_->View(attribute.Name) == name) return std::string(tree_->View(attribute.Value));
  }
  return std::nullopt;
}

std::vector<TXmlNode> TXmlNode::Children() const {
  std::vector<TXmlNode> children;
  for (size_t child = tree_->elements_[index_].FirstChild; child != TXmlTree::kNone;
       child = tree_->elements_[child].NextSibling) {
    children.push_back(TXmlNode(*tree_, child));
  }
  return children;
}

std::optional<TXmlNode> TXmlNode::Child(std::string_view name) const {
  for (size_t child = tree_->elements_[index_].FirstChild; child != TXmlTree::kNone;
       child = tree_->elements_[child].NextSibling) {
    if (tree_->View(tree_->elements_[child].Name) == name) return TXmlNode(*tree_, child);
  }
  return std::nullopt;
}

bool TXmlNode::Whole() const { return tree_->elements_[index_].Whole; }

TXmlTree::TXmlTree(const std::string& path) {
  TComScope com;  // first: the apartment outlives every component of the reading
  std::string reason;
  if (ReadStreaming(path, reason)) return;
  // The streaming reader knows no entity declared in the document's own DTD, which the DOM
  // expands: a file it refuses is read by the DOM. When the DOM refuses it too, the file is
  // damaged where the streaming reader stopped, and what that reader read before is kept, with
  // its reason, which names the line.
  TXmlTree streamed;
  Swap(streamed);
  try {
    if (ReadWithDom(path)) return;
  } catch (const std::exception&) {
    // Damaged all the same: what the streaming reader read is kept.
  }
  Swap(streamed);
  if (elements_.empty()) throw Exception("cannot load " + path + ", " + reason);
  damage_ = reason;
}

void TXmlTree::Swap(TXmlTree& other) noexcept {
  elements_.swap(other.elements_);
  attributes_.swap(other.attributes_);
  names_.swap(other.names_);
  text_.swap(other.text_);
}

bool TXmlTree::ReadStreaming(const std::string& path, std::string& reason) {
  TComPtr<IStream> file;
  Check(SHCreateStreamOnFileW(Utf8ToWide(path).c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                              file.Put()),
        "Cannot open " + path);
  // Before the reader: they outlive the reader's references.
  TLineBreakingStream stream(file.Get());
  TTreeBuilder builder(*this);
  TSaxHandler handler(builder, stream);
  static const GUID* const kComponents[] = {&kClsidSaxReader60, &kClsidSaxReader40,
                                            &kClsidSaxReader30};
  TComPtr<ISAXXMLReader> reader;
  CreateNewest(kComponents, kIidSaxReader, reader);
  Check(reader->putContentHandler(&handler), "XML: cannot read " + path);
  Check(reader->putErrorHandler(&handler), "XML: cannot read " + path);
  // Settings are read from a local file and refer to nothing outside it.
  for (const wchar_t* feature : {L"http://xml.org/sax/features/external-general-entities",
                                 L"http://xml.org/sax/features/external-parameter-entities"}) {
    Check(reader->putFeature(feature, VARIANT_FALSE), "XML: cannot turn off external entities");
  }
  VARIANT input;
  VariantInit(&input);
  input.vt = VT_UNKNOWN;
  input.punkVal = &stream;  // lent, not owned
  const HRESULT result = reader->parse(input);
  if (SUCCEEDED(result) && builder.Complete()) return true;
  reason = (handler.Error().empty() ? "not well-formed" : handler.Error()) + " (" + HexCode(result) + ")";
  return false;
}

bool TXmlTree::ReadWithDom(const std::string& path) {
  static const GUID* const kComponents[] = {&kClsidDomDocument60, &kClsidDomDocument40,
                                            &kClsidDomDocument30};
  TComPtr<IXMLDOMDocument> document;
  CreateNewest(kComponents, kIidXmlDomDocument, document);
  document->put_async(VARIANT_FALSE);
  document->put_validateOnParse(VARIANT_FALSE);
  Check(document->put_resolveExternals(VARIANT_FALSE), "XML: cannot turn off external entities");
  // Element texts are file paths: blanks at their ends belong to them.
  document->put_preserveWhiteSpace(VARIANT_TRUE);
  TVariant source(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (FAILED(document->load(source.Get(), &loaded)) || loaded != VARIANT_TRUE) return false;
  TTreeBuilder builder(*this);
  WalkDom(document.Get(), builder);
  return builder.Complete();
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
