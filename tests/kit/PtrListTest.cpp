#include "FailingAllocator.h"
#include "Kit_HeapBuf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Values(const Kit_PtrList<int>& list) {
  std::vector<int> values;
  for (int i = 0; i < list.GetSize(); ++i) values.push_back(*list.Get(i));
  return values;
}

// Records its destruction into a shared log.
struct Tracked {
  std::string name;
  std::vector<std::string>* log;
  ~Tracked() { log->push_back(name); }
};

std::vector<std::string>* gFunctionLog;
void DeleteThroughFunction(void* item) {
  gFunctionLog->push_back("fn:" + static_cast<Tracked*>(item)->name);
  delete static_cast<Tracked*>(item);
}

}  // namespace

TEST(PtrList, GetOutOfRangeOrEmptyIsNull) {
  Kit_PtrList<int> list;
  EXPECT_EQ(list.Get(0), nullptr);
  int a = 1;
  list.Add(&a);
  EXPECT_EQ(list.Get(0), &a);
  EXPECT_EQ(list.Get(1), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(PtrList, InsertClampsAndShiftsLaterEntries) {
  int v[5] = {0, 1, 2, 3, 4};
  Kit_PtrList<int> list;
  list.Add(&v[1]);
  list.Add(&v[3]);
  list.Insert(1, &v[2]);
  list.Insert(-7, &v[0]);
  list.Insert(99, &v[4]);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(PtrList, DeleteClosesTheGap) {
  int v[4] = {10, 20, 30, 40};
  Kit_PtrList<int> list;
  for (int& x : v) list.Add(&x);
  list.Delete(1);
  EXPECT_EQ(Values(list), (std::vector<int>{10, 30, 40}));
  list.Delete(7);
  list.Delete(-1);
  EXPECT_EQ(list.GetSize(), 3);
}

TEST(PtrList, DeleteWithWantDeleteDestroysThroughTheFunctionWhenGiven) {
  std::vector<std::string> log;
  gFunctionLog = &log;
  Kit_PtrList<Tracked> list;
  list.Add(new Tracked{"a", &log});
  list.Add(new Tracked{"b", &log});
  list.Delete(0, true);
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));
  list.Delete(0, true, DeleteThroughFunction);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "fn:b", "b"}));
  EXPECT_EQ(list.GetSize(), 0);
}

TEST(PtrList, EmptyDestroysFromLastToFirstAndKeepsTheAllocation) {
  std::vector<std::string> log;
  Kit_PtrList<Tracked> list;
  for (const char* name : {"first", "second", "third"}) list.Add(new Tracked{name, &log});
  list.Empty(true);
  EXPECT_EQ(log, (std::vector<std::string>{"third", "second", "first"}));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(list.Get(0), nullptr);
}

TEST(PtrList, EmptyWithoutWantDeleteLeavesTheObjects) {
  std::vector<std::string> log;
  Tracked kept{"kept", &log};
  {
    Kit_PtrList<Tracked> list;
    list.Add(&kept);
    list.Empty();
    EXPECT_EQ(list.GetSize(), 0);
  }
  EXPECT_TRUE(log.empty());
}

TEST(PtrList, AddThatCannotGrowReportsNullAndKeepsTheList) {
  FailingAllocator failing;
  int a = 1, b = 2;
  Kit_PtrList<int> list;
  list.Add(&a);
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
  // Fill the first allocation, then the next add must fail.
  int added = 0;
  while (list.Add(&b)) ++added;
  EXPECT_GT(added, 0);
  EXPECT_EQ(list.GetSize(), added + 1);
  EXPECT_EQ(list.Get(0), &a);
  EXPECT_EQ(list.Insert(0, &b), nullptr);
  EXPECT_EQ(list.Get(0), &a);
}
