#include "viewer/MainFormDescription.h"

#include "viewer/ToolbarPictures.h"
#include "viewer/ViewerMain.h"

namespace {

tk::ToolItemDescription Button(std::string Name, int Left, std::u16string Hint, int Image,
                               tk::NotifyEvent OnClick) {
  tk::ToolItemDescription item;
  item.Name = std::move(Name);
  item.Kind = tk::ToolItemKind::Button;
  item.Left = Left;
  item.Hint = std::move(Hint);
  item.ImageIndex = Image;
  item.OnClick = std::move(OnClick);
  return item;
}

tk::ToolItemDescription Separator(std::string Name, int Left, int Width) {
  tk::ToolItemDescription item;
  item.Name = std::move(Name);
  item.Kind = tk::ToolItemKind::Separator;
  item.Left = Left;
  item.Width = Width;
  return item;
}

tk::ToolBarDescription ToolBar1(TfmMain& Viewer) {
  tk::ToolBarDescription bar;
  bar.Name = "ToolBar1";
  bar.Alignment = tk::Align::Top;
  bar.Height = 29;
  bar.ButtonWidth = 24;
  bar.ButtonHeight = 23;
  bar.Images = "ImageList1";
  bar.ShowHints = true;
  bar.ShowCaptions = false;
  bar.Visible = false; // nothing ever shows it

  tk::ToolItemDescription search;
  search.Name = "ESearch";
  search.Kind = tk::ToolItemKind::EditBox;
  search.Left = 144;
  search.Width = 232;
  search.Height = 23;
  search.TabOrder = 0;

  bar.Items = {
      Button("TBOpen", 0, u"Open file", 0, [&Viewer] { Viewer.TBOpenClick(); }),
      Button("TBPaste", 24, u"Paste|Inserts Clipboard contents", 1,
             [&Viewer] { Viewer.EditPaste1Execute(); }),
      Button("TBCopy", 48, u"Copy|Copies the selection and puts it on the Clipboard", 4,
             [&Viewer] { Viewer.EditCopy1Execute(); }),
      Button("TBClear", 72, u"Delete|Erases the selection", 5,
             [&Viewer] { Viewer.EditDelete1Execute(); }),
      Separator("ToolButton1", 96, 48),
      std::move(search),
      Button("BtnFindNode", 376, u"", 6, [&Viewer] { Viewer.BtnFindNodeClick(); }),
      Separator("ToolButton3", 400, 8),
      Button("TBGeneration", 408, u"Тестовая генерация", 7,
             [&Viewer] { Viewer.TBGenerationClick(); }),
  };
  return bar;
}

tk::TreeViewDescription JSONTreeViewer(TfmMain& Viewer) {
  tk::TreeViewDescription tree;
  tree.Name = "JSONTreeViewer";
  tree.Alignment = tk::Align::Client;
  tree.Indent = 19;
  tree.TabOrder = 1;
  tree.ReadOnly = false;
  tree.ShowLines = true;
  tree.ShowButtons = true;
  tree.ShowRoot = true;
  tree.HideSelection = true;
  tree.ToolTips = true;
  tree.ParentFont = true;
  tree.OnClick = [&Viewer] { Viewer.JSONTreeViewerClick(); };
  tree.OnEdited = [&Viewer](tk::TreeNodeHandle Node, std::u16string& S) {
    Viewer.JSONTreeViewerEdited(Node, S);
  };
  tree.OnExpanding = [&Viewer](tk::TreeNodeHandle Node, bool& AllowExpansion) {
    Viewer.JSONTreeViewerExpanding(Node, AllowExpansion);
  };
  tree.OnKeyDown = [&Viewer](const tk::KeyPress& Key) { return Viewer.JSONTreeViewerKeyDown(Key); };
  tree.OnContextPopup = [&Viewer](tk::TreeNodeHandle Node, std::optional<tk::ScreenPoint> At) {
    Viewer.JSONTreeViewerContextPopup(Node, At);
  };
  tree.OnChange = [&Viewer] { Viewer.JSONTreeViewerChange(); };
  tree.OnToolTip = [&Viewer](tk::TreeNodeHandle Node) {
    return Viewer.JSONTreeViewerToolTip(Node);
  };
  return tree;
}

tk::StatusBarDescription StatusBar1(TfmMain& Viewer) {
  tk::StatusBarDescription status;
  status.Name = "StatusBar1";
  status.Alignment = tk::Align::Bottom;
  status.Height = 19;
  // The load figures and their notes, then the selected node's path in the rest of the bar.
  status.Panels = {{50, true}, {50}};
  status.OnResize = [&Viewer] { Viewer.StatusBar1Resize(); };
  return status;
}

tk::OpenDialogDescription OpenDialog1() {
  tk::OpenDialogDescription dialog;
  dialog.Name = "OpenDialog1";
  dialog.Filters = {{u"json", u"*.json"}, {u"txt", u"*.txt"}, {u"All", u"*.*"}};
  dialog.FilterIndex = 1;
  dialog.InitialDir = u"C:\\";
  return dialog;
}

tk::ImageListDescription ImageList1() {
  tk::ImageListDescription images;
  images.Name = "ImageList1";
  images.Width = 17;
  images.Height = 17;
  images.Masked = true;
  images.Pictures = ToolbarPictures();
  return images;
}

} // namespace

tk::FormDescription DescribeFmMain(TfmMain& Viewer) {
  tk::FormDescription form;
  form.Name = "fmMain";
  form.Caption = u"Treskal";
  form.Left = 0;
  form.Top = 0;
  form.ClientWidth = 1231;
  form.ClientHeight = 667;
  form.Position = tk::FormPosition::ScreenCenter;
  form.Colour = tk::SystemColour::ButtonFace;
  form.Font = {u"Tahoma", 11, 1, tk::SystemColour::WindowText};
  form.PixelsPerInch = 96;
  form.TextHeight = 13;
  // A bare child window, maximised at creation: no caption, frame, border or system menu.
  form.Style = tk::WsChild | tk::WsMaximize;
  form.OnCreate = [&Viewer] { Viewer.FormCreate(); };
  form.OnShow = [&Viewer] { Viewer.FormShow(); };
  form.OnDestroy = [&Viewer] { Viewer.FormDestroy(); };
  form.OnDropFiles = [&Viewer](tk::DroppedFiles Drop) { Viewer.WMDropFiles(std::move(Drop)); };
  form.Controls.emplace_back(ToolBar1(Viewer));
  form.Controls.emplace_back(JSONTreeViewer(Viewer));
  form.Controls.emplace_back(StatusBar1(Viewer));
  form.Controls.emplace_back(OpenDialog1());
  form.Controls.emplace_back(ImageList1());
  return form;
}
