#include "viewer/StatusText.h"
#include "viewer/StrictValidity.h"
#include "viewer/ViewerMain.h"

#include "json/JSONGeneration.h"
#include "json/Regional.h"

#include <array>
#include <cstdint>
#include <exception>

namespace {

// The check is an extra: one that cannot run (out of memory) says nothing and never fails the
// load.
std::optional<StrictDeparture> CheckQuietly(const InspectedFile& File) noexcept {
  try {
    return File.IsUtf8 ? CheckStrictJsonUtf8(File.Utf8) : CheckStrictJson(File.Text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// How far the reveal of a departure goes down: never through a container whose children would
// make more tree nodes than Expand all may.
constexpr int32_t kRevealWidth = static_cast<int32_t>(TfmMain::ExpandAllLimit);

} // namespace

JSONRef TfmMain::LoadChecked(const std::u16string& AFileName) {
  std::optional<StrictDeparture> departure;
  JSONRef document = JSONFromFile(
      AFileName, [&departure](const InspectedFile& File) { departure = CheckQuietly(File); });
  departure_ = std::move(departure);
  return document;
}

template <class Load> JSONRef TfmMain::TimedLoad(Load&& Parse) {
  const uint32_t started = app_.TickCount();
  JSONRef document = Parse();
  const uint32_t finished = app_.TickCount();
  // Written now, before the caller lets the previous document go: it still counts.
  WriteLoadStatus(ElapsedTicks(started, finished));
  return document;
}

void TfmMain::WriteLoadStatus(uint32_t Milliseconds) {
  loadStatus_ = StatusText(Milliseconds, JSONInstanceCount, ujson::DecimalSeparator());
  // With the figures, so that notes come after it and every load renews it.
  if (departure_) {
    loadStatus_ += u"  ";
    loadStatus_ += DepartureText(*departure_);
  }
  StatusBar1.SetText(loadStatus_);
}

void TfmMain::SelectDeparture() {
  if (!departure_ || !FRootObj)
    return;
  JSONRef node = FRootObj;
  for (const uint32_t index : departure_->Path) {
    const int32_t count = node->GetCount();
    if (count > kRevealWidth || static_cast<int64_t>(index) >= count)
      break;
    node = node->GetChild(static_cast<int32_t>(index));
  }
  if (node == FRootObj)
    return;
  // Only an aid, like the check: a reveal that fails (out of memory) leaves the tree as shown.
  try {
    RevealNode(node, false);
  } catch (const std::exception&) {
  }
}

JSONRef TfmMain::LoadFile(const std::u16string& AFileName) {
  return TimedLoad([this, &AFileName] { return LoadChecked(AFileName); });
}

JSONRef TfmMain::LoadText(std::u16string AText) {
  return TimedLoad([this, &AText] {
    std::optional<StrictDeparture> departure = CheckQuietly(InspectedFile{false, {}, AText});
    JSONRef document = JSONFromString(std::move(AText));
    departure_ = std::move(departure);
    return document;
  });
}

void TfmMain::TBOpenClick() {
  const std::optional<std::u16string> chosen = OpenDialog1.Execute(Handle());
  if (!chosen)
    return;
  FRootObj = LoadFile(*chosen);
  ShowObject(tk::NoNode, FRootObj);
  SelectDeparture();
}

void TfmMain::EditPaste1Execute() {
  FRootObj = LoadText(app_.SystemClipboard().ReadText());
  tk::TreeUpdateGuard suspended(JSONTreeViewer);
  ShowObject(tk::NoNode, FRootObj);
  SelectDeparture();
}

void TfmMain::EditCopy1Execute() {
  if (!FRootObj)
    return;
  app_.SystemClipboard().WriteText(FRootObj->GetText());
}

void TfmMain::EditDelete1Execute() { ClearTree(); }

void TfmMain::WMDropFiles(tk::DroppedFiles Drop) {
  // 260 units with the terminating zero: longer names arrive cut to 259.
  std::array<char16_t, 260> name{};
  const uint32_t copied = Drop.QueryFile(0, name);
  if (copied != 0 && copied < name.size()) {
    // Not LoadFile: a drop neither times the parse nor writes the status text.
    FRootObj = JSONFromFile(std::u16string(name.data(), copied));
    ShowObject(tk::NoNode, FRootObj);
  }
  // Released here, or by Drop's destructor when the load fails.
  Drop.Finish();
}

void TfmMain::TBGenerationClick() {
  const JSONRef document = JSONArrayOf({
      TJSONValue::CountedString(u"sdfsdf"),
      TJSONValue::Integer(234234),
      TJSONValue::Float(3.546),
      TJSONValue::WideChar(u's'),
      TJSONValue::Object(this),
      // The reference value 255 is the point of this entry.
      // NOLINTNEXTLINE(performance-no-int-to-ptr)
      TJSONValue::Object(reinterpret_cast<const void*>(std::uintptr_t{255})),
  });
  // In generating mode the missing member is added by the lookup.
  if (const JSONRef member = document->GetChildByName(u"NewObj"))
    member->SetValue(u"\\u00cf\\U00fb");
  // Shown only: FRootObj stays, so copy and search keep acting on the loaded document.
  ShowObject(tk::NoNode, document);
}
