// The Windows DLL's own resources, read as any program reads them: the packed
// data in its stored form and the version the about box shows. (The Linux
// library keeps the same data in a table; tests/dsp checks it there.)
#if defined(_WIN32)

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lib/uVersion.h"

namespace {

class DllResources : public ::testing::Test {
protected:
  void SetUp() override {
    Module = LoadLibraryExA(QVT_PLUGIN_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(Module, nullptr) << "error " << GetLastError();
  }
  void TearDown() override {
    if (Module) FreeLibrary(Module);
  }

  std::vector<std::uint8_t> Resource(const char* type, const char* name) {
    HRSRC info = FindResourceA(Module, name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(Module, info);
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
    return bytes ? std::vector<std::uint8_t>(bytes, bytes + SizeofResource(Module, info))
                 : std::vector<std::uint8_t>();
  }

  HMODULE Module = nullptr;
};

} // namespace

TEST_F(DllResources, WavetableAndFactoryBankAreZlibStreamsWithTheTaggedHeader) {
  for (const auto& [type, name] :
       {std::pair{"WAVETABLE", "WAVETABLE"}, std::pair{"BANK", "DEMO"}}) {
    const std::vector<std::uint8_t> bytes = Resource(type, name);
    ASSERT_GT(bytes.size(), 2u) << type << "/" << name;
    EXPECT_EQ(bytes[0], 0xA4) << type << "/" << name;
    EXPECT_EQ(bytes[1], 0x48) << type << "/" << name;
  }
}

// The version every other product of the build carries (cmake/Version.cmake).
TEST(DllVersion, FileVersionIsTheProductVersion) {
  const qvt::TVersion version = qvt::ProductVersion();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(QVT_PLUGIN_PATH, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(QVT_PLUGIN_PATH, 0, size, block.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(HIWORD(info->dwFileVersionMS), 2u);
  EXPECT_EQ(LOWORD(info->dwFileVersionMS), 2u);
  EXPECT_EQ(HIWORD(info->dwFileVersionLS), 0u);
  EXPECT_EQ(LOWORD(info->dwFileVersionLS), static_cast<unsigned>(version.Build));

  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::string(text), qvt::ProductVersionText());
}

#endif
