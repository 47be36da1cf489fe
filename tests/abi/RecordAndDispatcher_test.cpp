// The effect record and the dispatcher's answers, seen through the binary interface only.
#include "core/uParamTable.h"
#include "tests/abi/AbiFixture.h"
#include "tools/qvt/SharedLibrary.h"

TEST_F(PluginAbi, RecordCarriesTheInstrumentsIdentity) {
  EXPECT_EQ(Fx->magic, FourCharCode("VstP"));
  EXPECT_EQ(Fx->numPrograms, 1);
  EXPECT_EQ(Fx->numParams, 81);
  EXPECT_EQ(Fx->numInputs, 0);
  EXPECT_EQ(Fx->numOutputs, 2);
  EXPECT_EQ(Fx->flags,
            effFlagsHasEditor | effFlagsCanMono | effFlagsCanReplacing | effFlagsIsSynth);
  EXPECT_EQ(Fx->initialDelay, 0);
  EXPECT_EQ(Fx->ioRatio, 1.0f);
  EXPECT_EQ(Fx->uniqueID, 0x46485156); // "FHQV", first character in the high byte
  EXPECT_EQ(Fx->version, 1);
}

// Other program numbers and indices: HostMisuse.
TEST_F(PluginAbi, ProgramQueriesReportTheSingleHostProgram) {
  EXPECT_EQ(Dispatch(effGetProgram), 0);
  EXPECT_EQ(Dispatch(effGetNumProgramCategories), 1);
  EXPECT_EQ(Dispatch(effGetCurrentMidiProgram), -1);
  char name[64] = "untouched";
  EXPECT_EQ(Dispatch(effGetProgramNameIndexed, 0, 7, name), 1);
  EXPECT_EQ(std::string(name), Text(effGetProgramName));
}

TEST_F(PluginAbi, RenamingKeepsTheFirst22Characters) {
  char longName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"; // 30 characters
  Dispatch(effSetProgramName, 0, 0, longName);
  EXPECT_EQ(Text(effGetProgramName), "ABCDEFGHIJKLMNOPQRSTUV");
}

// Hosts on Linux speak UTF-8, hosts on Windows the 8-bit code page of the program.
TEST_F(PluginAbi, ProgramNamesWithAccentsReachTheHostInItsEncoding) {
#if defined(_WIN32)
  char name[] = "Caf\xE9 \xAB"
                "bass\xBB"; // "Café «bass»" in Windows-1252
#else
  char name[] = "Caf\xC3\xA9 \xC2\xAB"
                "bass\xC2\xBB"; // "Café «bass»" in UTF-8
#endif
  Dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(Text(effGetProgramName), std::string(name));
}

TEST_F(PluginAbi, OutputPinsAreTwoActiveStereoOutputs) {
  for (int pin = 0; pin < 2; ++pin) {
    VstPinProperties properties{};
    EXPECT_EQ(Dispatch(effGetOutputProperties, pin, 0, &properties), 1);
    EXPECT_EQ(std::string(properties.label), "QVST " + std::to_string(pin + 1));
    EXPECT_EQ(properties.flags, kVstPinIsActive | kVstPinIsStereo);
  }
  VstPinProperties third{};
  EXPECT_EQ(Dispatch(effGetOutputProperties, 2, 0, &third), 0);
  EXPECT_EQ(Dispatch(effConnectInput, 0, 1), 1);
  EXPECT_EQ(Dispatch(effConnectOutput, 1, 1), 1);
}

TEST_F(PluginAbi, IdentityQueriesAnswerNamesVersionsAndCategory) {
  EXPECT_EQ(Text(effGetEffectName), "Quivertone");
  EXPECT_EQ(Text(effGetVendorString), "Fernhollow");
  EXPECT_EQ(Text(effGetProductString), "Quivertone");
  char buffer[64];
  EXPECT_EQ(Dispatch(effGetEffectName, 0, 0, buffer), 1);
  EXPECT_EQ(Dispatch(effGetVendorVersion), 2);
  EXPECT_EQ(Dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(Dispatch(effIdentify), FourCharCode("NvEf"));
  EXPECT_EQ(Dispatch(effGetTailSize), 0);
  EXPECT_EQ(Dispatch(effKeysRequired), 1);
}

TEST_F(PluginAbi, CanDoAcceptsExactlyTheTwoEventRequests) {
  for (const auto& [request, answer] :
       {std::pair{"receiveVstEvents", 1}, std::pair{"receiveVstMidiEvent", 1},
        std::pair{"receiveVstTimeInfo", -1}, std::pair{"receivevstevents", -1}}) {
    std::string text = request;
    EXPECT_EQ(Dispatch(effCanDo, 0, 0, text.data()), answer) << request;
  }
}

TEST_F(PluginAbi, ChunksAreNotOffered) {
  void* data = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(Dispatch(effGetChunk, 0, 0, &data), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 0, 4, &data), 0);
}

TEST_F(PluginAbi, ProcessingAnnouncementsAnswerAsHostsExpect) {
  EXPECT_EQ(Dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
  EXPECT_EQ(Dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
  EXPECT_EQ(Dispatch(effSetBypass, 0, 1), 0);
  EXPECT_EQ(Dispatch(effStartProcess), 0);
  EXPECT_EQ(Dispatch(effStopProcess), 0);
  EXPECT_EQ(Dispatch(effCanBeAutomated, 40), 1);
  EXPECT_EQ(Dispatch(effGetVu), 0);
  void* input = reinterpret_cast<void*>(0x1);
  void* output = reinterpret_cast<void*>(0x2);
  EXPECT_EQ(Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
  EXPECT_EQ(input, nullptr);
  EXPECT_EQ(output, nullptr);
}

TEST_F(PluginAbi, SwitchingMainsOnAsksForMidiEveryTime) {
  Plugin->Requests.clear();
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(Plugin->Requests, (std::vector<VstInt32>{audioMasterWantMidi, audioMasterWantMidi}));
}

TEST_F(PluginAbi, EditorRectangleIsTheSameBeforeAndAfterOpening) {
  ERect* rect = nullptr;
  ASSERT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 320);
  EXPECT_EQ(rect->right, 587);
}

#if defined(_WIN32)
TEST_F(PluginAbi, TheEditorOpensOnlyIntoARealWindow) {
  int parent = 0; // no window of the host (tests/win32host opens editors into real ones)
  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, &parent), 0);
  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effEditGetRect, 0, 0, &rect), 1) << "the size is still reported";
  EXPECT_EQ(Fx->flags & effFlagsHasEditor, effFlagsHasEditor);
}
#endif

// (Null pointers on the known opcodes: HostMisuse.)
TEST_F(PluginAbi, UnknownOpcodesAnswerZero) {
  for (VstInt32 opcode : {16, 17, 18, 20, 21, 30, 36, 53, 54, 55,    61, 62,
                          64, 65, 66, 70, 74, 75, 76, 80, 99, 12345, -1}) {
    EXPECT_EQ(Dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
  }
}

TEST(PluginLibrary, ExportsOnlyTheEntryPoints) {
  std::string error;
  const auto library = qvt::TSharedLibrary::Open(QVT_PLUGIN_PATH, error);
  ASSERT_TRUE(library) << error;
  EXPECT_NE(library->Symbol("VSTPluginMain"), nullptr);
  EXPECT_NE(library->Symbol("VstPluginMain"), nullptr);
  EXPECT_NE(library->Symbol("main"), nullptr);
  EXPECT_EQ(library->Symbol("_ZN6TSynthC1EPFlP7AEffectiilPvfE"), nullptr);
  EXPECT_EQ(library->Symbol("FindResourceData"), nullptr);
  EXPECT_EQ(library->Symbol("LegacyMain"), nullptr);
  EXPECT_EQ(library->Symbol("_VSTPluginMain"), nullptr) << "exports are undecorated";
}

namespace {
VstIntPtr VSTCALLBACK RefusingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 0 : 0;
}
} // namespace

TEST(PluginLibrary, RefusesAHostThatReportsNoVersionAndToleratesNoCallback) {
  std::string error;
  const auto library = qvt::TSharedLibrary::Open(QVT_PLUGIN_PATH, error);
  ASSERT_TRUE(library) << error;
  using Entry = AEffect*(VSTCALLBACK*)(audioMasterCallback);
  for (const char* symbol : {"VSTPluginMain", "VstPluginMain", "main"}) {
    auto entry = reinterpret_cast<Entry>(library->Symbol(symbol));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(RefusingHost), nullptr) << symbol;
    AEffect* effect = entry(nullptr);
    ASSERT_NE(effect, nullptr) << symbol;
    EXPECT_EQ(effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f), 0);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
  }
}
