#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tk {

// What the platform provides for one drop of files (an HDROP on Windows).
class DropSource {
public:
  virtual ~DropSource() = default;

  // Number of files in the drop.
  virtual uint32_t Count() const = 0;
  // Copies the name of file Index into Buffer, cut to Buffer.size() - 1 units, and puts a zero
  // after it (DragQueryFileW). Returns the units copied without the zero; 0 when Index is out
  // of range, Buffer is empty or the query fails.
  virtual uint32_t QueryFile(uint32_t Index, std::span<char16_t> Buffer) const = 0;
  // Hands the drop back to the system (DragFinish). DroppedFiles calls it exactly once.
  virtual void Finish() noexcept = 0;

protected:
  DropSource() = default;
  DropSource(const DropSource&) = delete;
  DropSource& operator=(const DropSource&) = delete;
};

// A drop made of a list of names, answering as DragQueryFileW does: for the toolkits whose
// platform hands over names rather than a drop handle, and for tests. Finish forgets them.
class NameListDrop : public DropSource {
public:
  // Taken by value and moved in.
  // cppcheck-suppress passedByValue
  explicit NameListDrop(std::vector<std::u16string> Names) noexcept : names_(std::move(Names)) {}

  uint32_t Count() const override { return static_cast<uint32_t>(names_.size()); }
  uint32_t QueryFile(uint32_t Index, std::span<char16_t> Buffer) const override {
    if (Index >= names_.size() || Buffer.empty())
      return 0;
    const std::u16string& name = names_[Index];
    const std::size_t copied = name.size() < Buffer.size() ? name.size() : Buffer.size() - 1;
    name.copy(Buffer.data(), copied);
    Buffer[copied] = u'\0';
    return static_cast<uint32_t>(copied);
  }
  void Finish() noexcept override { names_.clear(); }

private:
  std::vector<std::u16string> names_;
};

// Owns one drop and releases it when it goes, so a handler that fails half way still gives the
// drop back. Move-only; a moved-from DroppedFiles holds nothing.
class DroppedFiles {
public:
  explicit DroppedFiles(std::unique_ptr<DropSource> Source) noexcept : source_(std::move(Source)) {}
  DroppedFiles(DroppedFiles&& other) noexcept = default;
  DroppedFiles& operator=(DroppedFiles&& other) noexcept {
    if (this != &other) {
      Finish();
      source_ = std::move(other.source_);
    }
    return *this;
  }
  DroppedFiles(const DroppedFiles&) = delete;
  DroppedFiles& operator=(const DroppedFiles&) = delete;
  ~DroppedFiles() { Finish(); }

  uint32_t Count() const { return source_ ? source_->Count() : 0; }
  uint32_t QueryFile(uint32_t Index, std::span<char16_t> Buffer) const {
    return source_ ? source_->QueryFile(Index, Buffer) : 0;
  }
  // Releases the drop now; later calls do nothing.
  void Finish() noexcept {
    if (std::unique_ptr<DropSource> source = std::move(source_))
      source->Finish();
  }
  bool Pending() const noexcept { return source_ != nullptr; }

private:
  std::unique_ptr<DropSource> source_;
};

} // namespace tk
