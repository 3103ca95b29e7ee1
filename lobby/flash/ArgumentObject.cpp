#include "lobby/flash/ArgumentObject.h"

#include "xml/XmlDocument.h"

namespace lobby {

std::vector<ArgumentProperty> ReadArgumentObject(text::WStringView markup) {
  std::vector<ArgumentProperty> out;
  xml::XmlDocument doc(markup);
  if (!doc.FindElement(u"object") || !doc.EnterElement()) return out;
  while (doc.FindElement(u"property")) {
    ArgumentProperty p;
    p.id = doc.GetAttribute(u"id");
    if (doc.FindChildElement()) p.value = doc.GetChildData();
    p.markup = doc.GetElementContent();
    out.push_back(std::move(p));
  }
  return out;
}

namespace {

const ArgumentProperty* LastWithId(const std::vector<ArgumentProperty>& props, text::WStringView id) {
  const ArgumentProperty* found = nullptr;
  for (const auto& p : props) {
    if (p.id == id) found = &p;
  }
  return found;
}

}  // namespace

text::WString PropertyValue(const std::vector<ArgumentProperty>& props, text::WStringView id) {
  const ArgumentProperty* p = LastWithId(props, id);
  return p ? p->value : text::WString();
}

text::WString PropertyMarkup(const std::vector<ArgumentProperty>& props, text::WStringView id) {
  const ArgumentProperty* p = LastWithId(props, id);
  return p ? p->markup : text::WString();
}

}  // namespace lobby
