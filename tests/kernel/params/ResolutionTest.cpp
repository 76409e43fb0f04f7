#include "kernel/params/Resolution.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Entries(const CResolution& r) {
  std::vector<int> v;
  for (int i = 0; i < r.Count(); ++i) v.push_back(r.GetResolution(i));
  return v;
}

}  // namespace

TEST(Resolution, TheDefaultListSnapsTypedValues) {
  CResolution r;
  EXPECT_EQ(109, r.Count());
  EXPECT_EQ(1, r.GetResolution(0));
  EXPECT_EQ(65535, r.GetResolution(108));
  EXPECT_EQ(-1, r.GetResolution(109));
  EXPECT_EQ(-2, r.GetResolution(-1));
  for (auto [typed, best] : std::vector<std::pair<int, int>>{
           {1000, 1000}, {1010, 1000}, {1045, 1024}, {1046, 1068}, {0, 1}, {65535, 65535}, {70000, 65535}, {-1, -1}})
    EXPECT_EQ(best, r.FindBestResolution(typed)) << typed;
}

TEST(Resolution, AdditionsFollowTheListsOrder) {
  CResolution r;
  r.ResetResolutions();
  EXPECT_EQ(-1, r.FindBestResolution(5));
  for (int v : {30, 10, 20, 10}) EXPECT_EQ(1, r.AddResolution(v));
  EXPECT_EQ((std::vector<int>{10, 20, 30}), Entries(r));  // still ascending after the reset
  EXPECT_EQ(0, r.AddResolution(0));
  r.SortDescending();
  r.AddResolution(25);
  EXPECT_EQ((std::vector<int>{30, 25, 20, 10}), Entries(r));
  // Breaking the order clears its flag; additions then append.
  EXPECT_EQ(1, r.SetResolution(1, 35));
  EXPECT_FALSE(r.IsSortedDescending());
  r.AddResolution(5);
  EXPECT_EQ((std::vector<int>{30, 35, 20, 10, 5}), Entries(r));
  // A descending list is sorted ascending to be searched and stays so.
  r.SortDescending();
  EXPECT_EQ(20, r.FindBestResolution(22));
  EXPECT_TRUE(r.IsSortedAscending());
  EXPECT_EQ((std::vector<int>{5, 10, 20, 30, 35}), Entries(r));
  EXPECT_EQ(1, r.RemoveResolution(0));
  EXPECT_EQ(0, r.RemoveResolution(4));
  EXPECT_EQ(0, r.SetResolution(0, 0));
  EXPECT_EQ((std::vector<int>{10, 20, 30, 35}), Entries(r));
  CResolution copy;
  copy = r;
  EXPECT_EQ(Entries(r), Entries(copy));
  // The list holds 150 entries at most.
  CResolution full;
  for (int v = 70000; full.Count() < CResolution::kCapacity; ++v) full.AddResolution(v);
  EXPECT_EQ(0, full.AddResolution(3));
}

TEST(Resolution, SetResolutionComparesWithItsNeighbours) {
  struct Case {
    int index, value;
    bool ascending, descending;
  };
  for (const Case& c : {Case{0, 25, false, false}, Case{0, 5, true, false}, Case{1, 25, true, false},
                        Case{1, 35, false, false}, Case{2, 15, false, false}, Case{2, 40, true, false}}) {
    CResolution r;
    r.ResetResolutions();
    for (int v : {10, 20, 30}) r.AddResolution(v);
    ASSERT_EQ(1, r.SetResolution(c.index, c.value));
    EXPECT_EQ(c.ascending, (bool)r.IsSortedAscending()) << c.index << "=" << c.value;
    EXPECT_EQ(c.descending, (bool)r.IsSortedDescending()) << c.index << "=" << c.value;
  }
}
