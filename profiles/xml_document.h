#pragma once
// The settings file's document model: the platform's XML DOM component through COM, behind a
// small interface of elements, attributes and text. Every text here is UTF-8. Failures are
// raised as movra::Exception with the reason.
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

class TXmlElement {
 public:
  explicit TXmlElement(TComPtr<IXMLDOMElement> element);
  TXmlElement(const TXmlElement& other);
  TXmlElement(TXmlElement&& other) noexcept;
  TXmlElement& operator=(const TXmlElement& other);
  TXmlElement& operator=(TXmlElement&& other) noexcept;
  ~TXmlElement();

  std::string Name() const;
  // The text of the element and its descendants.
  std::string Text() const;
  void SetText(const std::string& text);
  // Empty when the element has no attribute of that name.
  std::optional<std::string> Attribute(const std::string& name) const;
  void SetAttribute(const std::string& name, const std::string& value);
  // The child elements in document order; text, comments and other nodes are not listed.
  std::vector<TXmlElement> Children() const;
  // The first child element of that name.
  std::optional<TXmlElement> Child(const std::string& name) const;
  // The first child element of each of the names, in their order, found in one walk that ends
  // as soon as every name has been met: each node visited is a call into the component.
  std::vector<std::optional<TXmlElement>> FirstChildren(
      const std::vector<std::string>& names) const;
  // A new last child element.
  TXmlElement AddChild(const std::string& name);

 private:
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
  // Replaces the content by the file's; raises with the parser's reason.
  void Load(const std::string& path);
  std::optional<TXmlElement> Root() const;
  // Makes a new element of that name the document element, after an XML declaration.
  TXmlElement CreateRoot(const std::string& name);
  // Writes the document to the file, replacing it.
  void Save(const std::string& path) const;

 private:
  TComScope com_;  // first member: the apartment outlives the document
  TComPtr<IXMLDOMDocument> document_;
  int version_ = 0;
};

// The value forms of the settings file.
std::string BoolText(bool value);  // "True" or "False"
// "True"/"False" in any case, or a whole number (not zero is true); raises on anything else.
bool ParseBool(std::string_view text);
// A whole decimal number with an optional sign; raises on anything else.
int32_t ParseInt(std::string_view text);

}  // namespace movra
