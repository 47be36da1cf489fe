#include "dsp/uOsc.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

// A stored stream as the library keeps it: zlib at best compression, tagged A4 48.
TBytes Tagged(const TBytes& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  TBytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9), Z_OK);
  out.resize(size);
  out[0] = 0xA4;
  out[1] = 0x48;
  return out;
}

TBytes StoredWaveTable() {
  const TResourceData r = FindResourceData("WAVETABLE", "WAVETABLE");
  return TBytes(r.Data, r.Data + r.Size);
}

TResourceData View(const TBytes& bytes) { return {bytes.data(), bytes.size()}; }

std::string LoadError(const TBytes& bytes) {
  try {
    LoadWaveTable(View(bytes));
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

// Saves the shared table and puts it back after each test.
class WaveTableLoading : public ::testing::Test {
protected:
  void SetUp() override { std::memcpy(Saved, WaveTable, sizeof Saved); }
  void TearDown() override { std::memcpy(WaveTable, Saved, sizeof Saved); }
  bool TableUnchanged() const { return std::memcmp(Saved, WaveTable, sizeof Saved) == 0; }
  float Saved[qvt::kWaveCount][qvt::kWaveLength];
};

} // namespace

TEST_F(WaveTableLoading, TheLibraryLoadedATaggedStreamOfLittleEndianFloatsWaveAfterWave) {
  EXPECT_TRUE(qvt::WaveTableLoaded());
  const TBytes stored = StoredWaveTable();
  ASSERT_GT(stored.size(), 2u);
  EXPECT_EQ(stored[0], 0xA4);
  EXPECT_EQ(stored[1], 0x48);
  // The loaded table, written out as such a stream, loads back unchanged.
  TBytes data;
  for (int i = 0; i < qvt::kWaveCount * qvt::kWaveLength; ++i) {
    const auto bits =
        std::bit_cast<std::uint32_t>(WaveTable[i / qvt::kWaveLength][i % qvt::kWaveLength]);
    for (int shift = 0; shift < 32; shift += 8) data.push_back(std::uint8_t(bits >> shift));
  }
  std::memset(WaveTable, 0, sizeof WaveTable);
  LoadWaveTable(View(Tagged(data)));
  EXPECT_TRUE(TableUnchanged());
}

TEST_F(WaveTableLoading, FailsLoudlyOnMissingCorruptOrShortDataAndKeepsTheTable) {
  const std::uint8_t byte = 0xA4;
  EXPECT_THROW(LoadWaveTable(TResourceData{}), std::runtime_error);
  EXPECT_THROW(LoadWaveTable(TResourceData{&byte, 1}), std::runtime_error);
  TBytes corrupt = StoredWaveTable(), checksum = StoredWaveTable(), truncated = StoredWaveTable();
  corrupt[corrupt.size() / 2] ^= 0x5A;
  checksum.back() ^= 0x01; // Adler-32 no longer matches
  truncated.resize(truncated.size() / 2);
  const struct {
    const char* What;
    TBytes Bytes;
    const char* Error;
  } cases[] = {{"corrupt", corrupt, "zlib"},
               {"checksum", checksum, "zlib"},
               {"truncated", truncated, "unexpected end"},
               {"short table", Tagged(TBytes(32767, 0x3F)), "Stream read error"}};
  for (const auto& c : cases) {
    const std::string error = LoadError(c.Bytes);
    EXPECT_NE(error.find(c.Error), std::string::npos) << c.What << ": " << error;
  }
  EXPECT_TRUE(TableUnchanged());
}

TEST_F(WaveTableLoading, GuardedLoadRecordsTheFailureInsteadOfThrowing) {
  TBytes truncated = StoredWaveTable();
  truncated.resize(100);
  EXPECT_FALSE(qvt::LoadWaveTableGuarded(View(truncated)));
  EXPECT_NE(std::string(qvt::WaveTableError()).find("unexpected end"), std::string::npos);
  EXPECT_TRUE(TableUnchanged());

  std::memset(WaveTable, 0, sizeof WaveTable); // the real resource loads again
  EXPECT_TRUE(qvt::LoadWaveTableGuarded());
  EXPECT_TRUE(TableUnchanged());
  EXPECT_STREQ(qvt::WaveTableError(), "");
}
