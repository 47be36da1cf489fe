// qvt info PLUGIN: the plug-in as a host sees it.
#include <cstdio>
#include <string>

#include "tools/qvt/Commands.h"
#include "tools/qvt/PluginHost.h"

namespace qvt {

namespace {

std::string FourChars(VstInt32 value) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((value >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '.';
  }
  return text;
}

void PrintFlags(VstInt32 flags) {
  static const struct {
    VstInt32 Flag;
    const char* Name;
  } kFlags[] = {{effFlagsHasEditor, "HasEditor"},
                {effFlagsHasClip, "HasClip"},
                {effFlagsHasVu, "HasVu"},
                {effFlagsCanMono, "CanMono"},
                {effFlagsCanReplacing, "CanReplacing"},
                {effFlagsProgramChunks, "ProgramChunks"},
                {effFlagsIsSynth, "IsSynth"},
                {effFlagsNoSoundInStop, "NoSoundInStop"},
                {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
  std::printf("flags          0x%X", static_cast<unsigned>(flags));
  for (const auto& flag : kFlags)
    if (flags & flag.Flag) std::printf(" %s", flag.Name);
  std::printf("\n");
}

} // namespace

int RunInfo(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: qvt info PLUGIN.so\n");
    return 2;
  }
  std::string error;
  auto plugin = THostedPlugin::Load(args[0], error);
  if (!plugin) {
    std::fprintf(stderr, "qvt info: %s\n", error.c_str());
    return 1;
  }
  const AEffect& fx = *plugin->Effect();
  std::printf("plug-in        %s\n", args[0].c_str());
  std::printf("effect name    %s\n", plugin->Text(effGetEffectName).c_str());
  std::printf("vendor         %s\n", plugin->Text(effGetVendorString).c_str());
  std::printf("product        %s\n", plugin->Text(effGetProductString).c_str());
  std::printf("vendor version %ld\n", static_cast<long>(plugin->Dispatch(effGetVendorVersion)));
  std::printf("VST version    %ld\n", static_cast<long>(plugin->Dispatch(effGetVstVersion)));
  std::printf("category       %ld\n", static_cast<long>(plugin->Dispatch(effGetPlugCategory)));
  std::printf("unique id      %s (0x%08X)\n", FourChars(fx.uniqueID).c_str(),
              static_cast<unsigned>(fx.uniqueID));
  std::printf("version        %d\n", fx.version);
  std::printf("programs       %d\n", fx.numPrograms);
  std::printf("parameters     %d\n", fx.numParams);
  std::printf("inputs         %d\n", fx.numInputs);
  std::printf("outputs        %d\n", fx.numOutputs);
  PrintFlags(fx.flags);
  std::printf("initial delay  %d\n", fx.initialDelay);
  std::printf("program        %s\n", plugin->Text(effGetProgramName).c_str());
  for (VstInt32 pin = 0; pin < fx.numOutputs; ++pin) {
    VstPinProperties properties{};
    if (plugin->Dispatch(effGetOutputProperties, pin, 0, &properties))
      std::printf("output %-7d %.64s\n", pin, properties.label);
  }
  std::printf("\n%5s  %-32s %-32s %s\n", "index", "name", "display", "label");
  for (VstInt32 index = 0; index < fx.numParams; ++index) {
    std::printf("%5d  %-32s %-32s %s\n", index, plugin->Text(effGetParamName, index).c_str(),
                plugin->Text(effGetParamDisplay, index).c_str(),
                plugin->Text(effGetParamLabel, index).c_str());
  }
  return 0;
}

} // namespace qvt
