// The standard MIDI file reader: formats, running status, the tempo map and malformed files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/tools/SmfBytes.h"
#include "tools/qvt/MidiFile.h"

namespace qvt {
namespace {

using test::Smf;
using test::TBytes;
using test::Track;
using test::VarLen;

// Each message's bytes, in the song's order.
std::vector<TBytes> MessagesOf(const TMidiSong& song) {
  std::vector<TBytes> messages;
  for (const TMidiMessage& m : song.Messages) messages.emplace_back(m.Bytes, m.Bytes + m.Size);
  return messages;
}

std::string ErrorOf(const TBytes& bytes) {
  try {
    TMidiSong::Parse(bytes);
  } catch (const TMidiError& error) {
    return error.what();
  }
  return "(parsed)";
}

TEST(MidiFileFormat1, MergesAllTracksByTimeKeepingTrackOrderAtEqualTicks) {
  const TBytes conductor = Track({test::TempoEvent(0, 500000), test::EndOfTrack(1920)});
  const TBytes bass = Track({{0x00, 0x91, 40, 90}, VarLen(480), {0x81, 40, 0}, test::EndOfTrack()});
  const TBytes lead =
      Track({VarLen(240), {0x90, 64, 80}, VarLen(240), {0x80, 64, 0}, test::EndOfTrack()});
  const TMidiSong song = TMidiSong::Parse(Smf(1, 480, {conductor, bass, lead}));
  // Ticks 0, 240, then 480 twice, the bass track first.
  EXPECT_EQ(MessagesOf(song),
            (std::vector<TBytes>{{0x91, 40, 90}, {0x90, 64, 80}, {0x81, 40, 0}, {0x80, 64, 0}}));
  EXPECT_DOUBLE_EQ(song.LengthSeconds(), 2.0); // the conductor's end of track at tick 1920
}

// A format 0 file without tempo events, at 120 beats per minute.
TEST(MidiFileFormat0, RepeatsTheLastChannelStatusForBareDataBytesAtTheDefaultTempo) {
  const TBytes file = Smf(0, 96,
                          {Track({{0x00, 0x92, 60, 100},
                                  {0x10, 62, 101},
                                  {0x10, 60, 0},
                                  {0x00, 0xC3, 7},
                                  {0x05, 9},
                                  test::EndOfTrack()})});
  const TMidiSong song = TMidiSong::Parse(file);
  EXPECT_EQ(
      MessagesOf(song),
      (std::vector<TBytes>{{0x92, 60, 100}, {0x92, 62, 101}, {0x92, 60, 0}, {0xC3, 7}, {0xC3, 9}}));
  EXPECT_DOUBLE_EQ(song.Messages[4].Seconds, 37 / 96.0 * 0.5);
}

TEST(MidiFileSkipping, StepsOverMetaSysexUnknownChunksAndBytesAfterEndOfTrack) {
  TBytes meta = {0x00, 0xFF, 0x01};
  test::Append(meta, VarLen(200)); // a two-byte length
  test::Append(meta, TBytes(200, 'a'));
  TBytes file = test::Header(0, 1, 480);
  test::Append(file, test::Chunk("XFIH", {1, 2, 3, 4, 5}));
  test::Append(file, test::Chunk("MTrk", Track({meta,
                                                {0x60, 0xF0, 0x03, 0x7E, 0x09, 0xF7},
                                                {0x20, 0xF7, 0x01, 0xF7},
                                                {0x00, 0x90, 0x45, 0x40},
                                                {0x83, 0x60, 0x90, 0x45, 0x00},
                                                {0x00, 0xFF, 0x7F, 0x02, 0x90, 0x45},
                                                test::EndOfTrack(),
                                                {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}})));
  const TMidiSong song = TMidiSong::Parse(file);
  ASSERT_EQ(song.Messages.size(), 2u); // the sequencer-specific payload is not a note
  EXPECT_EQ(song.Messages[0].Tick, 0x80u);
  EXPECT_EQ(song.Messages[1].Tick, 0x80u + 480u);
}

TEST(MidiFileTempoMap, ConvertsTicksToSecondsAcrossTempoChanges) {
  // 120 BPM for two beats, then 60 BPM: beat 3 falls at 1 s + 1 s.
  const TBytes conductor =
      Track({test::TempoEvent(0, 500000), test::TempoEvent(960, 1000000), test::EndOfTrack(960)});
  const TBytes notes = Track({VarLen(1200), {0x90, 69, 100}, test::EndOfTrack()});
  const TMidiSong song = TMidiSong::Parse(Smf(1, 480, {conductor, notes}));
  ASSERT_EQ(song.Messages.size(), 1u);
  EXPECT_DOUBLE_EQ(song.Messages[0].Seconds, 1.5);
  EXPECT_DOUBLE_EQ(song.TempoAt(0.99), 120.0);
  EXPECT_DOUBLE_EQ(song.TempoAt(1.0), 60.0);
  EXPECT_DOUBLE_EQ(song.LengthSeconds(), 3.0); // the end of track at tick 1920
}

TEST(MidiFileTempoMap, TakesTempoEventsFromAnyTrackAndTheLaterOfTwoAtOneTick) {
  const TBytes first = Track({test::TempoEvent(480, 250000), test::EndOfTrack()});
  const TBytes second = Track({test::TempoEvent(480, 400000), VarLen(480), {0x90, 60, 1}});
  const TMidiSong song = TMidiSong::Parse(Smf(1, 480, {first, second}));
  EXPECT_DOUBLE_EQ(song.TempoAt(0.6), 150.0);
  EXPECT_DOUBLE_EQ(song.Messages[0].Seconds, 0.5 + 0.4);
}

TEST(MidiFileTimecode, CountsTicksAsFractionsOfFrames) {
  // 25 frames per second, 40 ticks per frame: one tick per millisecond, tempo events aside.
  const int division = (static_cast<std::uint8_t>(-25) << 8) | 40;
  const TBytes file =
      Smf(0, division,
          {Track({test::TempoEvent(0, 1000000), VarLen(1500), {0x90, 60, 1}, test::EndOfTrack()})});
  const TMidiSong song = TMidiSong::Parse(file);
  EXPECT_NEAR(song.Messages[0].Seconds, 1.5, 1e-12);
}

struct TMalformed {
  const char* Case;
  TBytes File;
  const char* Problem;
};

class MidiFileMalformed : public ::testing::TestWithParam<TMalformed> {};

TEST_P(MidiFileMalformed, IsRefusedWithAMessageNamingTheProblem) {
  EXPECT_NE(ErrorOf(GetParam().File).find(GetParam().Problem), std::string::npos)
      << "message: " << ErrorOf(GetParam().File);
}

TBytes WithTrackLength(TBytes file, std::uint32_t length) {
  const TBytes bytes = test::BigEndian32(length);
  std::copy(bytes.begin(), bytes.end(), file.begin() + 18);
  return file;
}

const TBytes kOneNote = Smf(0, 480, {Track({{0x00, 0x90, 60, 100}, test::EndOfTrack()})});

INSTANTIATE_TEST_SUITE_P(
    Files, MidiFileMalformed,
    ::testing::Values(
        TMalformed{"NotMidi",
                   {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'},
                   "not a standard MIDI file (no MThd header)"},
        TMalformed{"AbsurdHeaderLength",
                   {'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1},
                   "does not fit"},
        TMalformed{"Format2", Smf(2, 480, {test::EndOfTrack()}), "format 2 is not supported"},
        TMalformed{"ZeroDivision", Smf(0, 0, {test::EndOfTrack()}), "time division of 0"},
        TMalformed{"AbsurdTrackLength", WithTrackLength(kOneNote, 0xFFFFFFF0u), "is truncated"},
        TMalformed{"LongVarLen", Smf(0, 480, {{0x81, 0x82, 0x83, 0x84, 0x05, 0x90, 60, 1}}),
                   "longer than 4 bytes"},
        // A meta event cancels the running status.
        TMalformed{"RunningStatusAfterMeta",
                   Smf(0, 96, {{0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01, 0x01, 'x', 0x00, 62, 100}}),
                   "data byte without a preceding status"},
        TMalformed{"StatusInsideMessage", Smf(0, 480, {{0x00, 0x90, 60, 0x90}}),
                   "status byte 0x90 where a data byte belongs"},
        TMalformed{"TempoZero", Smf(0, 480, {test::TempoEvent(0, 0)}), "tempo of 0"}),
    [](const ::testing::TestParamInfo<TMalformed>& info) { return info.param.Case; });

TEST(MidiFileMalformed, ErrorsOfTracksNameTheTrackAndOffset) {
  const TBytes file = Smf(1, 480, {test::EndOfTrack(), {0x00, 0x90, 60, 100, 0x00, 0xF5}});
  EXPECT_EQ(ErrorOf(file), "track 2: unexpected status byte 0xF5 at offset 39");
}

// Every prefix and thousands of corruptions of a valid file either parse or raise TMidiError;
// the sanitizer build checks that no read strays outside the buffer.
TEST(MidiFileRobustness, TruncatedOrCorruptedFilesNeverEscapeTheReader) {
  const TBytes file = Smf(
      1, 480,
      {Track({test::TempoEvent(0, 500000), test::TempoEvent(480, 400000), test::EndOfTrack(480)}),
       Track({{0x00, 0x90, 60, 100},
              {0x60, 62, 100},
              {0x00, 0xF0, 0x02, 0x7E, 0xF7},
              {0x81, 0x00, 0x80, 60, 0},
              {0x00, 0xFF, 0x03, 0x02, 'h', 'i'},
              {0x10, 0xE0, 0x00, 0x40},
              test::EndOfTrack()})});
  ASSERT_NO_THROW(TMidiSong::Parse(file));
  int refused = 0;
  for (std::size_t length = 0; length < file.size(); ++length) {
    try {
      TMidiSong::Parse(std::span(file.data(), length));
    } catch (const TMidiError&) {
      ++refused;
    }
  }
  EXPECT_EQ(refused, static_cast<int>(file.size())); // a file cut anywhere misses bytes
  std::mt19937 random(4);
  for (int round = 0; round < 5000; ++round) {
    TBytes corrupt = file;
    for (int flips = 0; flips < 3; ++flips)
      corrupt[random() % corrupt.size()] = static_cast<std::uint8_t>(random());
    try {
      TMidiSong::Parse(corrupt);
    } catch (const TMidiError&) {
    }
  }
}

} // namespace
} // namespace qvt
