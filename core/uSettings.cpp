// The plug-in's folders, its per-host settings and the bank loaded at start.
#include <cstring>
#include <exception>

#include "core/uBankText.h"
#include "core/uPlugin.h"
#include "lib/uCodePage.h"
#include "lib/uFileIo.h"
#include "lib/uGlobals.h"
#include "lib/uPaths.h"
#include "lib/uRegistry.h"
#include "platform/core/uMessageBox.h"

namespace {

constexpr const char* kSettingsRoot = "SOFTWARE\\Fernhollow\\VST\\Quivertone\\2\\";
constexpr const char* kBankPathValue = "BankPath";
constexpr const char* kNotesQuantizationValue = "NotesQuantization";

// Hosts have been seen to write past the 64 bytes the interface allows, so the
// buffer is larger; the text is cut to 63 bytes on a character boundary.
constexpr std::size_t kHostTextBuffer = 256;
constexpr std::size_t kHostTextLength = 63;

// A host text; "Unknown" only when the host cannot be asked at all. A host
// that answers failure still has its buffer read, as it may be empty.
std::string HostText(TPlugin& plugin, bool canAsk, VstInt32 opcode) {
  if (!canAsk) return "Unknown";
  char buffer[kHostTextBuffer] = {};
  plugin.callHost(opcode, 0, 0, buffer);
  buffer[kHostTextBuffer - 1] = 0;
  char cut[kHostTextLength + 1] = {};
  qvt::CopyCut(cut, sizeof cut, std::string_view(buffer, strnlen(buffer, sizeof buffer)));
  return cut;
}

void ShowError(const std::exception& error) {
  qvt::ShowMessageBox(error.what(), qvt::kMessageCaption, qvt::mbOk | qvt::mbIconError);
}

} // namespace

void TPlugin::SetUpFolders() {
  try {
    const qvt::TPluginFolders folders =
        qvt::PluginFolders(qvt::FolderOfFile(qvt::ModuleFileName()), qvt::UserDataFolder());
    BankFolder = folders.Banks;
    PatternsFolder = folders.Patterns;
    HelpFile = folders.HelpFile;
  } catch (...) {
    // The folders stay unknown; the file dialogs then start where the system chooses.
  }
}

void TPlugin::BuildHostKey() {
  try {
    const bool canAsk = audioMaster != nullptr;
    const std::string vendor = HostText(*this, canAsk, audioMasterGetVendorString);
    const std::string product = HostText(*this, canAsk, audioMasterGetProductString);
    const auto version = static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
    HostKey = vendor + "\\" + product + "\\" + std::to_string(version);
  } catch (...) {
    HostKey = "Unknown\\Unknown\\0";
  }
}

std::string TPlugin::SettingsPath(const char* valueName) const {
  return std::string(kSettingsRoot) + HostKey + "\\" + valueName;
}

void TPlugin::ReadSettings() {
  try {
    const auto root = qvt::TRegistryRoot::CurrentUser;
    BankFilePath = qvt::RegReadText(root, SettingsPath(kBankPathValue));
    NotesQuantization = qvt::RegReadNumber(root, SettingsPath(kNotesQuantizationValue)) != 0;
  } catch (...) {
    // Registry failures are silent: the defaults stay.
  }
}

void TPlugin::WriteSettings() {
  try {
    qvt::RegWriteNumber(qvt::TRegistryRoot::CurrentUser, SettingsPath(kNotesQuantizationValue),
                        NotesQuantization ? 1 : 0);
  } catch (...) {
  }
}

void TPlugin::RememberBankFile(const std::string& path) {
  BankFilePath = path;
  try {
    qvt::RegWriteText(qvt::TRegistryRoot::CurrentUser, SettingsPath(kBankPathValue), path);
  } catch (...) {
  }
}

void TPlugin::LoadStartupBank() {
  // The remembered bank file; one that exists but is refused or unreadable is
  // reported, and the factory bank takes its place so that there is always a
  // first program to load.
  try {
    if (qvt::FileExists(BankFilePath) && LoadBankFile(BankFilePath)) return;
  } catch (const std::exception& error) {
    ShowError(error);
  } catch (...) {
  }
  try {
    LoadFactoryBank();
  } catch (const std::exception& error) {
    ShowError(error);
  } catch (...) {
  }
  if (Bank.empty()) AddProgram(qvt::DefaultProgram());
}
