#include "viewer/qt/QtTreeModel_qt.h"

#include "viewer/qt/QtText_qt.h"
#include "viewer/toolkit/Handles.h"

#include <climits>
#include <utility>

namespace tkqt {

TreeModel::TreeModel() { root_.Announced = true; }

TreeModel::~TreeModel() {
  // Views are told by the model's destruction itself; no row signals now.
  FreeChildrenOf(root_);
}

TreeItem* TreeModel::Find(uint64_t Id) const noexcept {
  const auto found = items_.find(Id);
  return found == items_.end() ? nullptr : found->second;
}

TreeItem* TreeModel::ItemOf(const QModelIndex& Index) const noexcept {
  if (!Index.isValid() || Index.model() != this)
    return nullptr;
  return Find(static_cast<uint64_t>(Index.internalId()));
}

QModelIndex TreeModel::IndexOf(const TreeItem& Item) const {
  if (&Item == &root_ || !Item.Announced)
    return QModelIndex();
  return createIndex(Item.Row, 0, static_cast<quintptr>(Item.Id));
}

TreeItem& TreeModel::Append(TreeItem& Parent, std::u16string_view Label, void* Data) {
  if (Parent.Children.size() >= static_cast<std::size_t>(INT_MAX - 1))
    throw tk::ToolkitError("Too many tree nodes");
  auto item = std::make_unique<TreeItem>();
  item->Id = nextId_;
  item->Label.assign(Label);
  item->Data = Data;
  item->Parent = &Parent;
  item->Depth = Parent.Depth + 1;
  item->Row = static_cast<int>(Parent.Children.size());
  // Anything that can fail comes before the node joins the tree.
  if (Parent.Announced && !Parent.Pending) {
    pending_.push_back(Parent.Id);
    Parent.Pending = true;
  }
  TreeItem& added = *item;
  items_.emplace(added.Id, &added);
  try {
    Parent.Children.push_back(std::move(item));
  } catch (...) {
    items_.erase(added.Id);
    throw;
  }
  ++nextId_;
  if (batch_ == 0)
    Flush();
  return added;
}

void TreeModel::EndBatch() {
  if (batch_ > 0 && --batch_ == 0)
    Flush();
}

void TreeModel::Flush() {
  std::vector<uint64_t> pending;
  pending.swap(pending_);
  for (const uint64_t id : pending) {
    TreeItem* item = id == root_.Id ? &root_ : Find(id);
    if (!item)
      continue;
    item->Pending = false;
    const auto size = static_cast<int>(item->Children.size());
    if (!item->Announced || item->Shown >= size)
      continue;
    const int first = item->Shown;
    beginInsertRows(IndexOf(*item), first, size - 1);
    for (int row = first; row < size; ++row)
      AnnounceSubtree(*item->Children[static_cast<std::size_t>(row)]);
    item->Shown = size;
    endInsertRows();
  }
}

void TreeModel::AnnounceSubtree(TreeItem& Item) noexcept {
  // A walk by parent links and rows: a subtree built before its row was announced may be deep,
  // and nothing here may allocate.
  TreeItem* at = &Item;
  for (;;) {
    at->Announced = true;
    at->Shown = static_cast<int>(at->Children.size());
    if (!at->Children.empty()) {
      at = at->Children.front().get();
      continue;
    }
    // Up to the nearest node with a next sibling.
    while (at != &Item) {
      TreeItem* up = at->Parent;
      const auto next = static_cast<std::size_t>(at->Row) + 1;
      if (next < up->Children.size()) {
        at = up->Children[next].get();
        break;
      }
      at = up;
    }
    if (at == &Item)
      return;
  }
}

void TreeModel::SetLabelParts(TreeItem& Item, std::span<const tk::LabelPart> Parts) {
  Item.Parts.assign(Parts.begin(), Parts.end());
  if (!tk::PartsCover(Item.Parts, Item.Label))
    Item.Parts.clear();
  if (Item.Announced) {
    const QModelIndex index = IndexOf(Item);
    emit dataChanged(index, index, {kLabelPartsRole});
  }
}

QString ToolTipHtml(std::u16string_view Text) {
  return QStringLiteral("<p style=\"white-space:pre-wrap\">") + ToQString(Text).toHtmlEscaped() +
         QStringLiteral("</p>");
}

void TreeModel::SetLabel(TreeItem& Item, std::u16string_view Label) {
  Item.Label.assign(Label);
  Item.Parts.clear();
  if (&Item == &root_ || !Item.Announced)
    return;
  const QModelIndex index = IndexOf(Item);
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, kLabelPartsRole});
}

void TreeModel::DeleteChildren(TreeItem& Item) {
  Item.Expanded = false;
  if (Item.Announced && Item.Shown > 0) {
    beginRemoveRows(IndexOf(Item), 0, Item.Shown - 1);
    FreeChildrenOf(Item);
    endRemoveRows();
  } else {
    FreeChildrenOf(Item);
  }
}

void TreeModel::Clear() {
  beginResetModel();
  FreeChildrenOf(root_);
  pending_.clear();
  root_.Pending = false;
  endResetModel();
}

void TreeModel::FreeChildrenOf(TreeItem& Item) noexcept {
  // Leaf by leaf, always the last child, climbing back by the parent links: a chain opened by a
  // search can be as deep as the document, and nothing here may allocate.
  TreeItem* at = &Item;
  for (;;) {
    if (!at->Children.empty()) {
      at = at->Children.back().get();
      continue;
    }
    if (at == &Item)
      break;
    TreeItem* up = at->Parent;
    items_.erase(at->Id);
    up->Children.pop_back(); // at, a leaf now
    at = up;
  }
  Item.Shown = 0;
}

QModelIndex TreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
  const TreeItem* parent = Parent.isValid() ? ItemOf(Parent) : &root_;
  if (!parent || Column != 0 || Row < 0 || Row >= parent->Shown)
    return QModelIndex();
  return createIndex(Row, 0,
                     static_cast<quintptr>(parent->Children[static_cast<std::size_t>(Row)]->Id));
}

QModelIndex TreeModel::parent(const QModelIndex& Child) const {
  const TreeItem* item = ItemOf(Child);
  if (!item || !item->Parent)
    return QModelIndex();
  return IndexOf(*item->Parent);
}

int TreeModel::rowCount(const QModelIndex& Parent) const {
  if (Parent.column() > 0)
    return 0;
  const TreeItem* parent = Parent.isValid() ? ItemOf(Parent) : &root_;
  return parent ? parent->Shown : 0;
}

int TreeModel::columnCount(const QModelIndex& Parent) const {
  static_cast<void>(Parent);
  return 1;
}

bool TreeModel::hasChildren(const QModelIndex& Parent) const { return rowCount(Parent) > 0; }

QVariant TreeModel::data(const QModelIndex& Index, int Role) const {
  const TreeItem* item = ItemOf(Index);
  if (!item)
    return QVariant();
  if (Role == Qt::DisplayRole)
    return ToQString(item->Label, kDisplayLimit);
  if (Role == Qt::EditRole)
    return ToQString(item->Label);
  if (Role == kLabelPartsRole) {
    QVariantList parts;
    for (const tk::LabelPart& part : item->Parts)
      parts << static_cast<int>(part.Kind) << static_cast<int>(part.Length);
    return parts;
  }
  if (Role == Qt::ToolTipRole && onToolTip_) {
    const std::u16string tip = onToolTip_(*const_cast<TreeItem*>(item));
    return tip.empty() ? QVariant() : QVariant(ToolTipHtml(tip));
  }
  return QVariant();
}

bool TreeModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
  TreeItem* item = ItemOf(Index);
  if (!item || Role != Qt::EditRole || !onEdit_)
    return false;
  // A copy: the handler may replace the slot it runs from.
  const EditHandler handler = onEdit_;
  return handler(*item, Value.toString());
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& Index) const {
  if (!ItemOf(Index))
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_)
    flags |= Qt::ItemIsEditable;
  return flags;
}

} // namespace tkqt
