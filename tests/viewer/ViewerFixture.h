#pragma once

#include "TempFile.h"
#include "viewer/ViewerMain.h"
#include "viewer/memory/MemoryApplication.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A viewer on the in-memory toolkit, parented to a lister window without a parent.
class ViewerTest : public ::testing::Test {
protected:
  static constexpr tk::NativeWindow kLister = 0x500;

  void SetUp() override { app.SetWindowParent(kLister, tk::NoWindow); }

  TfmMain& Open() {
    viewer = TfmMain::CreateParented(app, kLister);
    return *viewer;
  }
  tkmem::MemoryForm& Form() { return tkmem::AsMemory(viewer->Window()); }
  tkmem::MemoryTreeView& Tree() { return Form().Tree("JSONTreeViewer"); }
  std::u16string Status() { return Form().Status("StatusBar1").Text(); }

  // The paste command with Text on the clipboard: loads it into FRootObj and shows it.
  void Paste(std::u16string Text) {
    app.TestClipboard().SetText(std::move(Text));
    Form().UserClickButton("TBPaste");
  }

  tk::TreeNodeHandle Top() { return Tree().FirstChild(tk::NoNode); }
  // The n-th child of Node.
  tk::TreeNodeHandle Child(tk::TreeNodeHandle Node, std::size_t Index) {
    return Tree().Children(Node).at(Index);
  }
  std::vector<std::u16string> Labels(tk::TreeNodeHandle Parent) {
    std::vector<std::u16string> labels;
    for (tk::TreeNodeHandle child : Tree().Children(Parent))
      labels.push_back(Tree().Label(child));
    return labels;
  }
  // The texts of the message boxes shown so far.
  std::vector<std::u16string> Reports() const {
    std::vector<std::u16string> texts;
    for (const tkmem::ShownMessage& message : app.Messages())
      texts.push_back(message.Text);
    return texts;
  }

  tkmem::MemoryApplication app;
  std::unique_ptr<TfmMain> viewer;
};

inline std::vector<std::u16string> U16s(std::initializer_list<const char16_t*> Texts) {
  return {Texts.begin(), Texts.end()};
}
