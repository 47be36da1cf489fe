#include "platform/core/uFileDialogForm.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "lib/uCodePage.h"
#include "lib/uGlobals.h"
#include "platform/core/uApplication.h"
#include "platform/core/uDialogControls.h"
#include "platform/core/uListBox.h"
#include "platform/core/uMessageBox.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 440, kHeight = 344, kStrip = 20, kMargin = 10;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Whether `name` matches a pattern of the kind "*.ext" or "*.*" (case ignored).
bool PatternMatches(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (pattern.rfind("*.", 0) == 0) {
    const std::string ext = Lower(pattern.substr(1));
    return name.size() > ext.size() && Lower(name.substr(name.size() - ext.size())) == ext;
  }
  return Lower(pattern) == Lower(name);
}

} // namespace

TFileDialogForm::TFileDialogForm(const qvt::TFileDialogRequest& request)
    : TForm(nullptr), FRequest(request) {
  WindowKind = qvt::wkPopup;
  BorderStyle = bsNone;
  Topmost = true;
  Caption = request.Title.empty() ? (request.Save ? "Save As" : "Open") : request.Title;
  Color = qvt::kDialogFace;
  SetParentWindow(request.Owner ? request.Owner : Application->Handle);

  // "Description|pattern;pattern|Description|pattern…"
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = request.Filter.find('|', start);
    parts.push_back(request.Filter.substr(start, bar == std::string::npos ? bar : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    TFilter filter{parts[i], {}};
    for (std::size_t start = 0;;) {
      const std::size_t semi = parts[i + 1].find(';', start);
      filter.Patterns.push_back(
          parts[i + 1].substr(start, semi == std::string::npos ? semi : semi - start));
      if (semi == std::string::npos) break;
      start = semi + 1;
    }
    FFilters.push_back(filter);
  }
  if (FFilters.empty()) FFilters.push_back({"All files (*.*)", {"*.*"}});

  TRect around = Application->Platform() ? Application->Platform()->WindowScreenRect(ParentWindow())
                                         : TRect{};
  if (around.IsEmpty() && Application->Platform())
    around = Application->Platform()->WorkAreaAt({0, 0});
  SetBounds(around.Left + (around.Width() - kWidth) / 2,
            around.Top + (around.Height() - kHeight) / 2, kWidth, kHeight);

  FList = new TCustomListBox(this);
  FList->SetParent(this);
  FList->Color = qvt::kDialogStrip;
  FList->Font = qvt::DialogFont();
  FList->SetItemHeight(15);
  FList->SetBounds(kMargin, kStrip + 30, kWidth - 2 * kMargin, 15 * 13);
  FList->OnClick = [this](TObject*) {
    const int index = FList->ItemIndex();
    if (index >= 0 && !FEntries[static_cast<std::size_t>(index)].IsFolder)
      SetName(FEntries[static_cast<std::size_t>(index)].Name);
  };
  FList->OnDblClick = [this](TObject*) { OpenRow(FList->ItemIndex()); };

  const int fieldTop = FList->Top() + FList->Height() + 10;
  FName = new TDialogEdit(this);
  FName->SetBounds(kMargin + 70, fieldTop, kWidth - 2 * kMargin - 70, 21);
  const std::string start = request.FileName;
  SetName(fs::path(start).filename().string());

  const int buttonsTop = kHeight - kMargin - 23;
  FFilterButton = new TDialogButton(this, "");
  FFilterButton->SetBounds(kMargin, buttonsTop, 230, 23);
  FFilterButton->OnClick = [this](TObject*) { NextFilter(); };
  auto* ok = new TDialogButton(this, request.Save ? "Save" : "Open");
  ok->SetBounds(kWidth - kMargin - 160, buttonsTop, 75, 23);
  ok->OnClick = [this](TObject*) { Accept(); };
  auto* cancel = new TDialogButton(this, "Cancel");
  cancel->SetBounds(kWidth - kMargin - 75, buttonsTop, 75, 23);
  cancel->OnClick = [this](TObject*) { ModalResult = mrCancel; };

  // The folder: the initial one, else that of the starting name, else the current one.
  std::error_code error;
  fs::path folder = request.InitialDir;
  if (folder.empty() || !fs::is_directory(folder, error)) folder = fs::path(start).parent_path();
  if (folder.empty() || !fs::is_directory(folder, error)) folder = fs::current_path(error);
  SetFolder(fs::absolute(folder, error));
  FFilterButton->Caption = FFilters[0].Description;
  ReadFolder();
}

std::optional<std::string> TFileDialogForm::Execute() {
  SetActiveControl(FName);
  ShowModal();
  return FChosen;
}

void TFileDialogForm::SetFolder(const fs::path& folder) {
  FFolder = folder.lexically_normal().string();
  if (FFolder.size() > 1 && FFolder.back() == '/') FFolder.pop_back();
}

void TFileDialogForm::SetName(const std::string& name) {
  FPickedName = name;
  FName->SetText(qvt::Utf8ToWin1252(name));
}

void TFileDialogForm::ReadFolder() {
  FEntries.clear();
  std::error_code error;
  const fs::path folder = FFolder;
  if (folder.has_relative_path()) FEntries.push_back({"..", true});
  std::vector<TEntry> folders, files;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue; // hidden entries stay hidden
    std::error_code typeError;
    if (it->is_directory(typeError))
      folders.push_back({name, true});
    else if (Matches(name))
      files.push_back({name, false});
  }
  const auto byName = [](const TEntry& a, const TEntry& b) { return Lower(a.Name) < Lower(b.Name); };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  FEntries.insert(FEntries.end(), folders.begin(), folders.end());
  FEntries.insert(FEntries.end(), files.begin(), files.end());
  FList->Clear();
  for (const TEntry& entry : FEntries)
    FList->AddItem(qvt::Utf8ToWin1252(entry.IsFolder ? entry.Name + "/" : entry.Name));
  Invalidate();
}

bool TFileDialogForm::Matches(const std::string& name) const {
  const auto& patterns = FFilters[FFilter].Patterns;
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::string& p) { return PatternMatches(p, name); });
}

void TFileDialogForm::NextFilter() {
  FFilter = (FFilter + 1) % FFilters.size();
  FFilterButton->Caption = FFilters[FFilter].Description;
  FFilterButton->Invalidate();
  ReadFolder();
}

void TFileDialogForm::OpenRow(int index) {
  if (index < 0 || index >= static_cast<int>(FEntries.size())) return;
  const TEntry& entry = FEntries[static_cast<std::size_t>(index)];
  if (!entry.IsFolder) {
    SetName(entry.Name);
    Accept();
    return;
  }
  SetFolder(fs::path(FFolder) / entry.Name);
  ReadFolder();
  FList->SetItemIndex(FEntries.empty() ? -1 : 0);
}

void TFileDialogForm::Accept() {
  if (FName->Text().empty()) return;
  // A name taken from the list keeps its exact bytes; a typed one is converted.
  const std::string name =
      FName->Text() == qvt::Utf8ToWin1252(FPickedName) ? FPickedName : qvt::Win1252ToUtf8(FName->Text());
  std::error_code error;
  fs::path path = name;
  if (path.is_relative()) path = fs::path(FFolder) / path;
  if (fs::is_directory(path, error)) {
    SetFolder(path);
    SetName("");
    ReadFolder();
    return;
  }
  // A saved name without an extension gets the default one.
  if (FRequest.Save && !FRequest.DefaultExt.empty() && !path.has_extension())
    path.replace_extension(FRequest.DefaultExt);
  Choose(path.lexically_normal().string());
}

void TFileDialogForm::Choose(const std::string& path) {
  std::error_code error;
  const bool exists = fs::exists(fs::path(path), error);
  std::string quoted(1, '\xAB');
  quoted += qvt::Utf8ToWin1252(path);
  quoted += '\xBB';
  if (!FRequest.Save && !exists) {
    qvt::ShowMessageBox(quoted + "\r\nFile not found. Check the file name and try again.",
                        Caption, qvt::mbOk | qvt::mbIconWarning);
    return;
  }
  if (FRequest.Save && exists &&
      qvt::ShowMessageBox(quoted + " already exists.\r\nDo you want to replace it?", Caption,
                          qvt::mbYesNo | qvt::mbIconWarning) != qvt::idYes)
    return;
  FChosen = path;
  ModalResult = mrOk;
}

void TFileDialogForm::Paint() {
  TForm::Paint();
  TCanvas& c = Canvas();
  c.Brush.Style = bsSolid;
  c.Brush.Color = qvt::kDialogStrip;
  c.FillRect({0, 0, Width(), kStrip});
  c.Brush.Color = qvt::kDialogInk;
  c.FrameRect(ClientRect());
  c.Brush.Style = bsClear;
  c.Font = qvt::DialogFont();
  c.Font.Style = fsBold;
  c.TextRect({kMargin, 0, Width() - kMargin, kStrip}, Caption, tfVerticalCenter | tfEndEllipsis);
  c.Font = qvt::DialogFont();
  c.TextRect({kMargin, kStrip + 6, Width() - kMargin, kStrip + 24}, qvt::Utf8ToWin1252(FFolder),
             tfVerticalCenter | tfEndEllipsis);
  c.TextRect({kMargin, FName->Top(), FName->Left() - 4, FName->Top() + FName->Height()},
             "File name:", tfVerticalCenter);
}

void TFileDialogForm::DispatchKeyDown(std::uint16_t key, TShiftState shift) {
  const TWinControl* focused = ActiveControl();
  if (key == vkEscape) {
    ModalResult = mrCancel;
  } else if (key == vkReturn && focused == FList) {
    OpenRow(FList->ItemIndex());
  } else if (key == vkReturn && focused == FName) {
    Accept();
  } else if (key == vkBack && focused == FList) {
    if (!FEntries.empty() && FEntries[0].Name == "..") OpenRow(0);
  } else {
    TForm::DispatchKeyDown(key, shift);
  }
}

void TFileDialogForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TForm::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Y < kStrip) StartWindowMove();
}
