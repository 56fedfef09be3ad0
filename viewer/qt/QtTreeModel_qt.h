#pragma once

#include "viewer/toolkit/LabelParts.h"

#include <QAbstractItemModel>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tkqt {

// One node of the tree as the toolkit keeps it.
struct TreeItem {
  uint64_t Id = 0; // never reused within a model; 0 is the invisible root
  std::u16string Label;
  std::vector<tk::LabelPart> Parts; // the label's parts; dropped with a new label
  void* Data = nullptr;
  TreeItem* Parent = nullptr; // the invisible root for a top-level node
  int Depth = 0;              // 1 for a top-level node
  int Row = 0;                // children are only appended and removed all at once: rows stay
  std::vector<std::unique_ptr<TreeItem>> Children;
  // The first Shown children are the rows the views know; the rest wait for the next flush.
  int Shown = 0;
  // The views know this node's own row (always so for the root).
  bool Announced = false;
  bool Pending = false; // in the model's list of nodes with rows to announce
  bool Expanded = false;
  // The collapse epoch in which the node and all its ancestors were last seen open: lets a
  // walk down a deep chain stop early instead of climbing to the top at every level.
  uint64_t ShownEpoch = 0;
};

// The label's parts as a list of kind and length, two ints for each part.
inline constexpr int kLabelPartsRole = Qt::UserRole + 1;

// The tree's nodes and the item model that shows them, in one column. Node ids travel in the
// model indexes, so an index of a deleted node finds nothing instead of freed memory.
//
// Rows added while a batch is open are announced to the views in one insertion per parent
// when the batch ends (or at Flush): a node with a hundred thousand children costs one signal,
// not a hundred thousand.
class TreeModel final : public QAbstractItemModel {
public:
  // Confirms a label edit: called with the node and the new text; answers whether it took.
  using EditHandler = std::function<bool(TreeItem& Item, const QString& Text)>;
  // The tooltip of a node, asked each time the view wants one; empty for none.
  using ToolTipHandler = std::function<std::u16string(TreeItem& Item)>;

  TreeModel();
  ~TreeModel() override;
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  TreeItem& Root() noexcept { return root_; }
  // The live node with this id, or nullptr.
  TreeItem* Find(uint64_t Id) const noexcept;
  TreeItem* ItemOf(const QModelIndex& Index) const noexcept;
  // The index of a node whose row the views know; the root's is the invalid index.
  QModelIndex IndexOf(const TreeItem& Item) const;

  TreeItem& Append(TreeItem& Parent, std::u16string_view Label, void* Data);
  void SetLabel(TreeItem& Item, std::u16string_view Label);
  void SetLabelParts(TreeItem& Item, std::span<const tk::LabelPart> Parts);
  void DeleteChildren(TreeItem& Item);
  void Clear();
  std::size_t Count() const noexcept { return items_.size(); }

  void BeginBatch() noexcept { ++batch_; }
  // Ends a batch; the outermost one announces the rows added meanwhile.
  void EndBatch();
  // Announces every row added but not yet announced.
  void Flush();

  void SetEditable(bool Editable) noexcept { editable_ = Editable; }
  void SetEditHandler(EditHandler Handler) { onEdit_ = std::move(Handler); }
  // Qt::ToolTipRole gives the handler's text as wrapping rich text (ToolTipHtml).
  void SetToolTipHandler(ToolTipHandler Handler) { onToolTip_ = std::move(Handler); }

  // Labels are drawn cut to this many units; reading and editing see them whole.
  static constexpr std::size_t kDisplayLimit = 4096;

  // QAbstractItemModel.
  QModelIndex index(int Row, int Column, const QModelIndex& Parent) const override;
  QModelIndex parent(const QModelIndex& Child) const override;
  int rowCount(const QModelIndex& Parent) const override;
  int columnCount(const QModelIndex& Parent) const override;
  bool hasChildren(const QModelIndex& Parent) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;

private:
  void FreeChildrenOf(TreeItem& Item) noexcept;
  void AnnounceSubtree(TreeItem& Item) noexcept;

  TreeItem root_;
  std::unordered_map<uint64_t, TreeItem*> items_;
  std::vector<uint64_t> pending_;
  uint64_t nextId_ = 1;
  int batch_ = 0;
  bool editable_ = true;
  EditHandler onEdit_;
  ToolTipHandler onToolTip_;
};

// Text as rich text that a tooltip wraps at its width, with its line breaks kept: Qt wraps only
// rich tooltips, and a plain one would be one line as wide as the screen.
QString ToolTipHtml(std::u16string_view Text);

} // namespace tkqt
