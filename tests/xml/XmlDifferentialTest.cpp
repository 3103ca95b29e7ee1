// Generated well-formed documents read by XmlDocument and by libxml2 must agree on element
// names, nesting, attribute values and decoded text.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <random>
#include <string>
#include <vector>

#include "xml/XmlDocument.h"
#include "xml/detail/IndexCheck.h"

namespace xml {
namespace {

// The tree both parsers are reduced to, in UTF-8.
struct Node {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;  // leaves only
  std::vector<Node> children;
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  std::string Document() {
    std::string out;
    if (Chance(3)) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (Chance(4)) out += "<!-- generated -->";
    Element(out, 0);
    if (Chance(3)) out += "\n";
    return out;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }

  std::string Name() {
    static const char* const kStarts[] = {"a", "Item", "_x", "data", "\xe5\x90\x8d", "Z", "list"};
    static const char* const kTails[] = {"", "1", "-b", ".c", "_d", "\xe7\xa7\xb0", "Name"};
    return std::string(kStarts[Pick(7)]) + kTails[Pick(7)];
  }

  // A value with every escaped character, some references, and non-ASCII text.
  std::string Value(bool attribute) {
    static const char* const kPieces[] = {"x", "hello", " ", "&lt;", "&amp;", "&gt;", "&quot;",
                                          "&apos;", "&#65;", "&#x4E2D;", "\xe4\xb8\xad\xe6\x96\x87",
                                          "&#x1F600;", "'", "\"", "=", "/", "42"};
    std::string out;
    int count = Pick(6);
    for (int i = 0; i < count; ++i) {
      std::string piece = kPieces[Pick(17)];
      if (attribute && (piece == "'" || piece == "\"")) continue;  // caller picks the quote
      out += piece;
    }
    return out;
  }

  void Attributes(std::string& out) {
    int count = Pick(4);
    std::vector<std::string> used;
    for (int i = 0; i < count; ++i) {
      std::string name = "at" + std::to_string(Pick(6));
      if (std::find(used.begin(), used.end(), name) != used.end()) continue;
      used.push_back(name);
      char quote = Chance(2) ? '"' : '\'';
      std::string value = Value(true);
      value += quote == '"' ? "'" : "\"";  // the other quote stays literal
      out += Chance(3) ? "\n " : " ";
      out += name + (Chance(4) ? " = " : "=") + quote + value + quote;
    }
  }

  // Leaf text: one or more non-blank runs, maybe with a comment or CDATA between them.
  void Text(std::string& out) {
    out += "t" + Value(false);
    if (Chance(3)) {
      out += Chance(2) ? "<!-- note -->" : "<![CDATA[<raw> & ]]>";
      out += "u" + Value(false);
    } else if (Chance(4)) {
      out += "> still text";
    }
  }

  void Element(std::string& out, int depth) {
    std::string name = Name();
    out += "<" + name;
    Attributes(out);
    int children = depth < 5 ? Pick(5) : 0;
    if (children == 0 && Chance(3)) {
      out += Chance(2) ? "/>" : " />";
      return;
    }
    out += ">";
    if (children == 0) {
      Text(out);
    } else {
      for (int i = 0; i < children; ++i) {
        if (Chance(2)) out += "\n  ";
        Element(out, depth + 1);
      }
      if (Chance(2)) out += "\n";
    }
    out += "</" + name + (Chance(5) ? " >" : ">");
  }

  std::mt19937 rng_;
};

std::string Utf8(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

Node FromLibxml(xmlNode* element) {
  Node node;
  node.name = Utf8(element->name);
  for (xmlAttr* a = element->properties; a; a = a->next) {
    xmlChar* value = xmlNodeListGetString(element->doc, a->children, 1);
    node.attributes.emplace_back(Utf8(a->name), Utf8(value));
    xmlFree(value);
  }
  bool leaf = true;
  for (xmlNode* c = element->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    leaf = false;
    node.children.push_back(FromLibxml(c));
  }
  if (leaf) {
    xmlChar* content = xmlNodeGetContent(element);
    node.text = Utf8(content);
    xmlFree(content);
  }
  return node;
}

// Reads the current element through the cursor: attributes by the names libxml2 found.
Node FromDocument(XmlDocument& doc, const Node& expected) {
  Node node;
  node.name = text::ToUtf8(doc.GetTagName(doc.CurrentPosition()));
  for (const auto& [name, value] : expected.attributes) {
    node.attributes.emplace_back(name, text::ToUtf8(doc.GetAttribute(text::FromUtf8(name))));
  }
  size_t i = 0;
  while (doc.FindChildElement()) {
    doc.EnterElement();
    node.children.push_back(
        FromDocument(doc, i < expected.children.size() ? expected.children[i] : Node{}));
    ++i;
    doc.LeaveElement();
  }
  if (node.children.empty()) node.text = text::ToUtf8(doc.GetData());
  return node;
}

void ExpectSame(const Node& expected, const Node& actual, const std::string& where) {
  ASSERT_EQ(expected.name, actual.name) << where;
  EXPECT_EQ(expected.attributes, actual.attributes) << where << "/" << expected.name;
  EXPECT_EQ(expected.text, actual.text) << where << "/" << expected.name;
  ASSERT_EQ(expected.children.size(), actual.children.size()) << where << "/" << expected.name;
  for (size_t i = 0; i < expected.children.size(); ++i) {
    ExpectSame(expected.children[i], actual.children[i], where + "/" + expected.name);
  }
}

TEST(XmlDifferential, GeneratedDocumentsReadTheSameAsLibxml2) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::string source = Generator(seed).Document();
    xmlDoc* reference = xmlReadMemory(source.data(), static_cast<int>(source.size()), nullptr,
                                      "UTF-8", XML_PARSE_NONET);
    ASSERT_NE(nullptr, reference) << "generator made a malformed document:\n" << source;
    Node expected = FromLibxml(xmlDocGetRootElement(reference));
    xmlFreeDoc(reference);

    XmlDocument doc;
    ASSERT_TRUE(doc.Parse(text::FromUtf8(source))) << text::ToUtf8(doc.GetError()) << "\n" << source;
    ASSERT_EQ("", detail::CheckIndex(doc)) << source;
    ASSERT_TRUE(doc.FindElement());
    Node actual = FromDocument(doc, expected);
    ExpectSame(expected, actual, "seed " + std::to_string(seed));
    if (HasFailure()) {
      ADD_FAILURE() << source;
      return;
    }
  }
}

}  // namespace
}  // namespace xml
