#pragma once

#include <cstdint>
#include <vector>

namespace tk {

// The walk that makes a tree node visible, the same on every toolkit. The ancestors of Target
// are collected bottom-up until one that is open and was last seen with all its ancestors open
// in the current collapse epoch (so that opening a deep chain level by level stays linear);
// the collapsed ones among them are expanded top-down, each raising the expanding event. When
// every one of them stayed open and Target still lives, the nodes passed are marked as shown in
// the epoch, unless a collapse happened meanwhile. Answers whether Target's row can be shown:
// every ancestor open and Target alive. Scrolling to it is the caller's.
//
// Walk gives, for items of type Item (a false Item stands for the top level):
//   Item ParentOf(Item), bool IsLive(Item), bool IsOpen(Item), void Open(Item) (the tree's
//   Expand), uint64_t ShownEpoch(Item), void MarkShown(Item, uint64_t), uint64_t Epoch().
template <class Item, class Walk> bool OpenCollapsedAncestors(Walk& Tree, Item Target) {
  if (!Tree.IsLive(Target))
    return false;
  const uint64_t epoch = Tree.Epoch();
  std::vector<Item> collapsed;
  std::vector<Item> passed;
  for (Item up = Tree.ParentOf(Target); up; up = Tree.ParentOf(up)) {
    const bool open = Tree.IsOpen(up);
    if (open && Tree.ShownEpoch(up) == epoch)
      break;
    passed.push_back(up);
    if (!open)
      collapsed.push_back(up);
  }
  bool allOpen = true;
  for (auto it = collapsed.rbegin(); it != collapsed.rend(); ++it) {
    // An expanding handler may change the tree: every item is looked at afresh.
    if (!Tree.IsLive(*it)) {
      allOpen = false;
      continue;
    }
    Tree.Open(*it);
    if (!Tree.IsLive(*it) || !Tree.IsOpen(*it))
      allOpen = false;
  }
  if (!allOpen || !Tree.IsLive(Target))
    return false;
  if (epoch == Tree.Epoch()) {
    passed.push_back(Target);
    for (const Item shown : passed)
      if (Tree.IsLive(shown))
        Tree.MarkShown(shown, epoch);
  }
  return true;
}

} // namespace tk
