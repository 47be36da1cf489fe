// The framework's own file dialog: folders and filtered files, going in and up,
// the default extension, and the questions before a missing file is opened or
// an existing one replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/core/uDialogControls.h"
#include "platform/core/uFileDialogForm.h"
#include "platform/core/uListBox.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

namespace fs = std::filesystem;

class FileDialogForm : public HeadlessTest {
protected:
  fs::path Folder;

  void SetUp() override {
    HeadlessTest::SetUp();
    Folder = fs::temp_directory_path() / ("qvt_dialog_" + std::to_string(::getpid()));
    fs::remove_all(Folder);
    fs::create_directories(Folder / "Banks");
    for (const char* name : {"b.qvt", "A.QVT", "notes.txt", ".hidden.qvt"})
      std::ofstream(Folder / name) << "x";
    std::ofstream(Folder / "Banks" / "inner.qvt") << "x";
  }
  void TearDown() override {
    fs::remove_all(Folder);
    HeadlessTest::TearDown();
  }
  qvt::TFileDialogRequest Request(bool save) {
    qvt::TFileDialogRequest r;
    r.Save = save;
    r.Title = save ? "Save Quivertone presets bank as" : "Load Quivertone presets bank";
    r.Filter = "Quivertone presets bank (*.qvt)|*.qvt|All files (*.*)|*.*";
    r.DefaultExt = "qvt";
    r.InitialDir = Folder.string();
    return r;
  }
  // Runs the dialog; `act` plays the user once it is open.
  std::optional<std::string> Run(TFileDialogForm& dialog,
                                 std::function<void(TFileDialogForm&)> act) {
    Platform.Then([&dialog, act] { act(dialog); });
    return dialog.Execute();
  }
  void TypeName(TFileDialogForm& d, const std::string& name) {
    d.NameField().SetText("");
    Platform.Type(d, name);
  }
};

TEST_F(FileDialogForm, ListsFoldersFirstThenTheFilesOfTheChosenFilter) {
  TFileDialogForm dialog(Request(false));
  EXPECT_EQ(dialog.List().Items(), (std::vector<std::string>{"../", "Banks/", "A.QVT", "b.qvt"}));
  Platform.Click(dialog, 20, dialog.Height() - 20); // the filter button
  EXPECT_EQ(dialog.List().Items(),
            (std::vector<std::string>{"../", "Banks/", "A.QVT", "b.qvt", "notes.txt"}));
}

TEST_F(FileDialogForm, EnterOnAFolderGoesInAndBackspaceGoesUp) {
  TFileDialogForm dialog(Request(false));
  const auto chosen = Run(dialog, [&](TFileDialogForm& d) {
    d.List().SetFocus();
    d.List().SetItemIndex(1);
    Platform.PressKey(d, vkReturn);
    EXPECT_EQ(d.Folder(), (Folder / "Banks").string());
    Platform.PressKey(d, vkBack);
    EXPECT_EQ(d.Folder(), Folder.string());
    d.OpenRow(1);
    d.List().SetItemIndex(1); // inner.qvt
    Platform.PressKey(d, vkReturn);
  });
  EXPECT_EQ(chosen, (Folder / "Banks" / "inner.qvt").string());
}

TEST_F(FileDialogForm, OpeningDemandsAnExistingFile) {
  TFileDialogForm dialog(Request(false));
  const auto chosen = Run(dialog, [&](TFileDialogForm& d) {
    TypeName(d, "missing");
    Platform.PressKey(d, vkReturn);
    ASSERT_EQ(Platform.MessageBoxes.size(), 1u);
    EXPECT_NE(Platform.MessageBoxes[0].Text.find("File not found"), std::string::npos);
    Platform.PressKey(d, vkEscape);
  });
  EXPECT_EQ(chosen, std::nullopt);
}

TEST_F(FileDialogForm, SavingAddsTheExtensionAndAsksBeforeReplacing) {
  TFileDialogForm dialog(Request(true));
  Platform.AnswerMessageBox(qvt::idNo);
  Platform.AnswerMessageBox(qvt::idYes);
  const auto chosen = Run(dialog, [&](TFileDialogForm& d) {
    TypeName(d, "b");
    Platform.PressKey(d, vkReturn); // b.qvt exists: "No" keeps the dialog open
    EXPECT_EQ(Platform.MessageBoxes.size(), 1u);
    Platform.PressKey(d, vkReturn); // "Yes" replaces it
  });
  EXPECT_EQ(chosen, (Folder / "b.qvt").string());
  ASSERT_EQ(Platform.MessageBoxes.size(), 2u);
  EXPECT_NE(Platform.MessageBoxes[1].Text.find("already exists"), std::string::npos);
}

} // namespace
