#pragma once
// The settings file's document model: written through the platform's XML DOM component and
// read through its streaming reader, both through COM, behind a small interface of elements,
// attributes and text. Every text here is UTF-8. Failures are raised as movra::Exception with
// the reason.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct IXMLDOMDocument;
struct IXMLDOMElement;

namespace movra {

// An interface pointer that holds one reference.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(const TComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~TComPtr() {
    if (p_) p_->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For an out parameter: drops the current reference first.
  T** Put() {
    *this = TComPtr();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// COM and OLE on the calling thread for the lifetime of the object; the program keeps one on
// its main thread from start-up to exit.
class TComScope {
 public:
  TComScope();
  ~TComScope();
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;
  // False when the thread was already in another apartment, which then stays as it was.
  bool Initialized() const { return initialized_; }

 private:
  bool initialized_ = false;
};

// An element of a document being built.
class TXmlElement {
 public:
  TXmlElement(const TXmlElement& other);
  TXmlElement(TXmlElement&& other) noexcept;
  TXmlElement& operator=(const TXmlElement& other);
  TXmlElement& operator=(TXmlElement&& other) noexcept;
  ~TXmlElement();

  std::string Name() const;
  // Replaces the content by the text.
  void SetText(const std::string& text);
  void SetAttribute(const std::string& name, const std::string& value);
  // A new last child element.
  TXmlElement AddChild(const std::string& name);

 private:
  friend class TXmlDocument;
  explicit TXmlElement(TComPtr<IXMLDOMElement> element);

  TComPtr<IXMLDOMElement> element_;
};

// One document. Its elements must not outlive it.
class TXmlDocument {
 public:
  // The newest DOM component available: 6.0, then 4.0, then 3.0.
  TXmlDocument();
  ~TXmlDocument();
  TXmlDocument(const TXmlDocument&) = delete;
  TXmlDocument& operator=(const TXmlDocument&) = delete;

  // The component version in use: 6, 4 or 3.
  int Version() const { return version_; }
  // Makes a new element of that name the document element, after an XML declaration.
  TXmlElement CreateRoot(const std::string& name);
  // Writes the document to the file, replacing it.
  void Save(const std::string& path) const;

 private:
  TComScope com_;  // first member: the apartment outlives the document
  TComPtr<IXMLDOMDocument> document_;
  int version_ = 0;
};

class TXmlTree;

// An element of a TXmlTree, read without any call into the component. Valid while its tree is.
class TXmlNode {
 public:
  std::string_view Name() const;
  // The text of the element and its descendants, white space included.
  std::string Text() const;
  // Empty when the element has no attribute of that name.
  std::optional<std::string> Attribute(std::string_view name) const;
  // The child elements in document order; text, comments and other nodes are not listed.
  std::vector<TXmlNode> Children() const;
  // The first child element of that name.
  std::optional<TXmlNode> Child(std::string_view name) const;
  // Its end tag was read before the file's damage: nothing of it is missing.
  bool Whole() const;

 private:
  friend class TXmlTree;
  TXmlNode(const TXmlTree& tree, size_t index) : tree_(&tree), index_(index) {}

  const TXmlTree* tree_;
  size_t index_;
};

// A whole file read by the platform's streaming XML reader into its elements, their attributes
// and their text, kept as plain values. A DOM makes a node object for each child it is asked
// for, and each is a call into the component; the streaming reader hands each element over
// once, with its attributes. A file the streaming reader refuses is read by the DOM.
//
// A file that is not well-formed (cut off, a byte that is not UTF-8, a tag never closed) keeps
// what was read before its first damage: the elements begun by then, of which those whose end
// tag came before it are whole.
class TXmlTree {
 public:
  // Raises with the reason, and the line for a file that is not well-formed XML, when the file
  // cannot be read or is damaged before its document element begins.
  explicit TXmlTree(const std::string& path);

  TXmlNode Root() const { return TXmlNode(*this, 0); }
  // Empty when the file was read whole; else the reason it was not, with its line when known.
  const std::string& Damage() const { return damage_; }

 private:
  friend class TXmlNode;
  friend class TTreeBuilder;
  TXmlTree() = default;
  // True when the streaming reader read the file whole; else `reason` is its reason.
  bool ReadStreaming(const std::string& path, std::string& reason);
  // True when the DOM read the file whole.
  bool ReadWithDom(const std::string& path);
  void Swap(TXmlTree& other) noexcept;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // Names and values are kept in one buffer rather than a string each: a file of thousands of
  // profiles holds a hundred thousand of them.
  struct TSpan {
    size_t Begin = 0;
    size_t Length = 0;
  };
  struct TAttribute {
    TSpan Name;
    TSpan Value;
  };
  struct TElement {
    TSpan Name;
    size_t FirstAttribute = 0;  // attributes_[FirstAttribute, FirstAttribute + AttributeCount)
    size_t AttributeCount = 0;
    size_t FirstChild = kNone;
    size_t NextSibling = kNone;
    // The element's text and its descendants' is text_[TextBegin, TextEnd).
    size_t TextBegin = 0;
    size_t TextEnd = 0;
    bool Whole = false;  // its end tag was read
  };

  std::string_view View(TSpan span) const {
    return std::string_view(names_).substr(span.Begin, span.Length);
  }

  std::vector<TElement> elements_;  // in document order: the document element first
  std::vector<TAttribute> attributes_;
  std::string names_;  // the names and attribute values, in UTF-8
  std::wstring text_;  // every text of the document element, in document order
  std::string damage_;
};

// The value forms of the settings file.
std::string BoolText(bool value);  // "True" or "False"
// "True"/"False" in any case, or a whole number (not zero is true); raises on anything else.
bool ParseBool(std::string_view text);
// A whole decimal number with an optional sign; raises on anything else.
int32_t ParseInt(std::string_view text);

}  // namespace movra
