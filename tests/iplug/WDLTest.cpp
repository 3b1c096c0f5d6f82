#include "IPlug/WDL/WDL_HeapBuf.h"
#include "IPlug/WDL/WDL_PtrList.h"
#include "IPlug/WDL/WDL_String.h"
#include "IPlug/WDL/WDL_TypedBuf.h"

#include <gtest/gtest.h>

TEST(WDL_HeapBuf, GrowsByHalfOrGranularityAndNeverShrinksItsAllocation)
{
  WDL_HeapBuf b(16);
  EXPECT_EQ(b.Get(), nullptr);
  b.Resize(10);
  EXPECT_EQ(b.GetAlloc(), 16);
  b.Resize(17);
  EXPECT_EQ(b.GetAlloc(), 32);
  b.Resize(100);
  EXPECT_EQ(b.GetAlloc(), 112);
  b.Resize(113); // half of the allocation (168) beats the request
  EXPECT_EQ(b.GetAlloc(), 176);
  void* p = b.Get();
  b.Resize(3);
  b.Resize(170);
  EXPECT_EQ(b.Get(), p);
  b.Resize(-5);
  EXPECT_EQ(b.GetSize(), 0);
}

TEST(WDL_TypedBuf, AddKeepsOrderAndCopiesAreDeep)
{
  WDL_TypedBuf<int> t(4);
  for (int i = 0; i < 100; ++i) t.Add(i);
  ASSERT_EQ(t.GetSize(), 100);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(t.Get()[i], i);
  WDL_HeapBuf a(8);
  memcpy(a.Resize(4), "abc", 4);
  WDL_HeapBuf c(a);
  ((char*) c.Get())[0] = 'x';
  EXPECT_STREQ((char*) a.Get(), "abc");
}

TEST(WDL_PtrList, IndexingInsertDelete)
{
  WDL_PtrList<int> l;
  int a = 1, b = 2, c = 3;
  l.Add(&a);
  l.Add(&c);
  l.Insert(1, &b);
  l.Insert(-4, &c);
  ASSERT_EQ(l.GetSize(), 4);
  EXPECT_EQ(l.Get(0), &c);
  EXPECT_EQ(l.Get(2), &b);
  EXPECT_EQ(l.Get(4), nullptr);
  EXPECT_EQ(l.Get(-1), nullptr);
  EXPECT_EQ(l.Find(&b), 2);
  l.Delete(0);
  l.Delete(9);
  EXPECT_EQ(l.Get(0), &a);
  EXPECT_EQ(l.GetSize(), 3);
  l.Empty();
  EXPECT_EQ(l.GetSize(), 0);

  static int deleted = 0;
  struct Counted
  {
    ~Counted() { ++deleted; }
  };
  {
    WDL_PtrList_DeleteOnDestroy<Counted> owned;
    owned.Add(new Counted);
    owned.Add(new Counted);
    owned.Delete(0, true);
    EXPECT_EQ(deleted, 1);
  }
  EXPECT_EQ(deleted, 2);
}

TEST(WDL_String, EditingAndBounds)
{
  WDL_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there");
  s.Insert("oh ", 0);
  EXPECT_STREQ(s.Get(), "oh hello, there");
  s.DeleteSub(2, 6);
  EXPECT_STREQ(s.Get(), "oh, there");
  s.DeleteSub(4, 100);
  EXPECT_STREQ(s.Get(), "oh, ");
  s.SetLen(6);
  EXPECT_STREQ(s.Get(), "oh,   ");
  s.SetFormatted(5, "%d-%s", 1234, "abcdef");
  EXPECT_STREQ(s.Get(), "1234-");
  s.AppendFormatted(8, "[%02d]", 7);
  EXPECT_STREQ(s.Get(), "1234-[07]");
  s.Set(s.Get() + 5); // from its own storage
  EXPECT_STREQ(s.Get(), "[07]");
  s.Append(s.Get());
  EXPECT_STREQ(s.Get(), "[07][07]");
  WDL_String copy(s);
  copy.Set("other");
  EXPECT_STREQ(s.Get(), "[07][07]");
}
