// Pattern import from MIDI files: the notes taken, the file forms read, the messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "editor/uMidiReader.h"
#include "lib/uFileIo.h"
#include "platform/core/uMessageBox.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Smf(const TBytes& track, std::uint8_t headerLength = 6, TBytes division = {0x01, 0xE0}) {
  TBytes file;
  const auto append = [&file](const TBytes& bytes) {
    for (const std::uint8_t b : bytes) file.push_back(b);
  };
  append({'M', 'T', 'h', 'd', 0, 0, 0, headerLength, 0, 1, 0, 2});
  append(division);
  for (int i = 6; i < headerLength; ++i) file.push_back(0);
  const auto size = static_cast<std::uint32_t>(track.size() + 4);
  append({'M', 'T', 'r', 'k', std::uint8_t(size >> 24), std::uint8_t(size >> 16),
          std::uint8_t(size >> 8), std::uint8_t(size)});
  append(track);
  append({0x00, 0xFF, 0x2F, 0x00});
  return file;
}

TBytes NoteOnOff(std::uint8_t channelStatus, std::uint8_t note, bool velocityZeroOff = false) {
  return {0x00, channelStatus, note, 0x64, 0x60,
          velocityZeroOff ? channelStatus : std::uint8_t(channelStatus - 0x10), note, 0x00};
}

TMidiReader Read(const TBytes& bytes) {
  TMidiReader reader;
  EXPECT_TRUE(reader.Parse(bytes));
  return reader;
}

TEST(MidiReader, TheFirst16NoteOnsOfChannel1BecomeStepsRelativeToNote57) {
  TBytes track{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}; // 500000 µs per quarter
  for (int i = 0; i < 20; ++i) {
    const TBytes note = NoteOnOff(0x91, 40); // channel 2 is ignored
    track.insert(track.end(), note.begin(), note.end());
    const TBytes melody = NoteOnOff(0x90, static_cast<std::uint8_t>(45 + i));
    track.insert(track.end(), melody.begin(), melody.end());
  }
  const TMidiReader reader = Read(Smf(track));
  EXPECT_EQ(reader.NoteCount, 16u);
  EXPECT_EQ(reader.Tempo, 500000u);
  EXPECT_EQ(reader.Division, 480);
  EXPECT_EQ(reader.Steps[0], 0.5f);
  EXPECT_EQ(reader.Steps[12], 1.0f);
  EXPECT_FLOAT_EQ(reader.Steps[15], 1.189207f) << "note 60, the 16th";
}

TEST(MidiReader, TracksWithoutNotesVelocityZeroOffsAndRunningStatus) {
  const TMidiReader empty = Read(Smf({0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}));
  for (const float step : empty.Steps) EXPECT_EQ(step, 1.0f) << "no notes, no steps";

  const TMidiReader doubled = Read(Smf(NoteOnOff(0x90, 69, true)));
  EXPECT_EQ(doubled.NoteCount, 2u) << "the velocity-0 note-on counts too";
  EXPECT_EQ(doubled.Steps[1], 2.0f);

  const TMidiReader running = Read(Smf({0x00, 0x90, 0x3C, 0x40, 0x00, 0x3C, 0x00}));
  EXPECT_EQ(running.NoteCount, 2u);
  EXPECT_FLOAT_EQ(running.Steps[1], 1.189207f);

  const TMidiReader lowest = Read(Smf({0x00, 0x90, 0x00, 0x40, 0x00, 0x90, 0x78, 0x40}));
  EXPECT_EQ(lowest.NoteCount, 1u) << "note 120 and above are skipped";
  EXPECT_NEAR(lowest.Steps[0], 0.03716, 5e-6);
}

TEST(MidiReader, RiffWrappedFilesAndTimeCodeDivisionsAreRead) {
  const TBytes plain = Smf(NoteOnOff(0x90, 57), 6, {0xE7, 0x28});
  TBytes riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0};
  riff.insert(riff.end(), plain.begin(), plain.end());
  const TMidiReader reader = Read(riff);
  EXPECT_EQ(reader.NoteCount, 1u);
  EXPECT_EQ(reader.Smpte, 1);
  EXPECT_EQ(reader.Division, 1000) << "25 frames of 40 ticks";
}

TEST(MidiReader, MalformedFilesAreRefusedWithTheirMessage) {
  const TBytes good = Smf(NoteOnOff(0x90, 57));
  TBytes badId = good;
  badId[3] = 'x';
  TBytes badTrack = good;
  badTrack[14] = 'X';
  struct TCase {
    TBytes Bytes;
    const char* Message;
  };
  const std::vector<TCase> cases{
      {badId, "File \xABsong.mid\xBB has invalid MIDI Header ID."},
      {Smf(NoteOnOff(0x90, 57), 7), "File \xABsong.mid\xBB has invalid MIDI Header length."},
      {badTrack, "File \xABsong.mid\xBB has invalid MIDI Track ID."},
      {Smf({0x00, 0x3C, 0x40}), "Status byte required for running status at, 24"},
      {Smf({0x00, 0xF0, 0x02, 0x43, 0x12, 0x00, 0x90, 0x3C, 0x40}),
       "Expected to find a system exclusive continue byte at, 29"},
  };
  for (const TCase& c : cases) {
    TMidiReader reader;
    reader.FileName = "song.mid";
    try {
      reader.Parse(c.Bytes);
      ADD_FAILURE() << "accepted: " << c.Message;
    } catch (const EMidiFormatError& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
  }
  // A system-exclusive block continued by an F7 block is fine.
  EXPECT_EQ(Read(Smf({0x00, 0xF0, 0x02, 0x43, 0x12, 0x00, 0xF7, 0x01, 0xF7, 0x00, 0x90, 0x3C, 0x40}))
                .NoteCount,
            1u);
}

TEST(MidiReader, ImportReplacesTheStepsOrShowsItsBoxAndChangesNothing) {
  const auto folder = std::filesystem::temp_directory_path() / "qvt_midi_import";
  std::filesystem::create_directories(folder);
  const TBytes good = Smf(NoteOnOff(0x90, 69));
  std::ofstream(folder / "good.mid", std::ios::binary)
      .write(reinterpret_cast<const char*>(good.data()), static_cast<std::streamsize>(good.size()));
  std::ofstream(folder / "text.mid") << "not a MIDI file";
  std::vector<qvt::TMessageBoxRequest> boxes;
  qvt::TScopedMessageBoxHandler record([&](const qvt::TMessageBoxRequest& r) {
    boxes.push_back(r);
    return qvt::idOk;
  });
  std::array<float, 16> steps;
  steps.fill(0.25f);
  EXPECT_FALSE(ImportMidiPattern((folder / "text.mid").string(), steps));
  EXPECT_EQ(steps[0], 0.25f);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Import Midi");
  EXPECT_EQ(boxes[0].Flags, qvt::mbOk | qvt::mbIconWarning);
  EXPECT_THROW(ImportMidiPattern((folder / "missing.mid").string(), steps), qvt::EFileError);
  EXPECT_TRUE(ImportMidiPattern((folder / "good.mid").string(), steps));
  EXPECT_EQ(steps[0], 2.0f);
  std::filesystem::remove_all(folder);
}

} // namespace
