// The framework's own file dialog, for desktops without a dialog program: the
// folder's sub-folders and the files that match the chosen filter, a name
// field, the filter button and OK / Cancel. Enter on a folder opens it, on a
// file chooses it; Backspace in the list goes up; Escape cancels; Tab moves
// between the parts. Opening demands an existing file, saving asks before it
// replaces one. Paths are in the file system's encoding, as the request's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/uForms.h"
#include "platform/core/uPlatform.h"

class TCustomListBox;
class TDialogEdit;
class TDialogButton;

class TFileDialogForm : public TForm {
public:
  explicit TFileDialogForm(const qvt::TFileDialogRequest& request);

  // Shows the dialog modally: the chosen path, or nothing when cancelled.
  std::optional<std::string> Execute();

  // What the dialog shows (for tests).
  const std::string& Folder() const { return FFolder; }
  TCustomListBox& List() const { return *FList; }
  TDialogEdit& NameField() const { return *FName; }
  // Opens the row of the list, as Enter there does.
  void OpenRow(int index);
  // The name field's text as a choice, as Enter there and OK do.
  void Accept();

  void Paint() override;
  void DispatchKeyDown(std::uint16_t key, TShiftState shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  struct TFilter {
    std::string Description;
    std::vector<std::string> Patterns; // "*.qvt", "*.*"
  };
  struct TEntry {
    std::string Name; // the file system's encoding
    bool IsFolder = false;
  };

  void ReadFolder();
  void SetFolder(const std::filesystem::path& folder);
  // Puts a file name into the name field (shown in Windows-1252).
  void SetName(const std::string& name);
  bool Matches(const std::string& name) const;
  void Choose(const std::string& path);
  void NextFilter();

  qvt::TFileDialogRequest FRequest;
  std::vector<TFilter> FFilters;
  std::size_t FFilter = 0;
  std::string FFolder; // without a trailing slash (but "/")
  std::string FPickedName; // the last name put into the field, exact
  std::vector<TEntry> FEntries;
  std::optional<std::string> FChosen;
  TCustomListBox* FList = nullptr;
  TDialogEdit* FName = nullptr;
  TDialogButton* FFilterButton = nullptr;
};
