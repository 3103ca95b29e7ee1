// A document with more elements than the memory at hand can index: the parse reports it and
// returns, and the document works again once memory is back. Allocations are made to fail
// here by replacing the program's operator new.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "xml/XmlDocument.h"

namespace {

// While not 0, every allocation of at least this many bytes fails.
std::atomic<size_t> g_failFrom{0};

class FailingAllocations {
 public:
  explicit FailingAllocations(size_t from) { g_failFrom = from; }
  ~FailingAllocations() { g_failFrom = 0; }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace

// The program's whole allocation goes through these four, so malloc and free pair up; GCC
// cannot see that and would warn at each free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  const size_t from = g_failFrom.load(std::memory_order_relaxed);
  if (from != 0 && size >= from) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

TEST(XmlIndexMemory, ElementsPastTheMemoryAtHandAreReportedAndTheDocumentRecovers) {
  text::WString text = u"<r>";
  for (int i = 0; i < 100000; ++i) text += u"<a/>";
  text += u"</r>";
  xml::XmlDocument doc;
  ASSERT_TRUE(doc.Parse(text));
  // A null text frees the index; the text's own room stays, so the next parse needs memory for
  // the index alone.
  ASSERT_FALSE(doc.Parse(text::WStringView()));
  {
    FailingAllocations failing(64 << 10);
    EXPECT_FALSE(doc.Parse(text));
  }
  EXPECT_NE(doc.GetError().find(u"too_many_elements"), text::WString::npos) << text::ToUtf8(doc.GetError());
  EXPECT_TRUE(doc.Parse(text));
  int children = 0;
  ASSERT_TRUE(doc.FindElement(u"r"));
  for (; doc.FindChildElement(u"a"); ++children) {
  }
  EXPECT_EQ(children, 100000);
}

}  // namespace
