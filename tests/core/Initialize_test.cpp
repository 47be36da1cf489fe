// Construction and late initialisation of the synthesizer object.
#include <gtest/gtest.h>

#include "core/uBankText.h"
#include "core/uSynth.h"

TEST(Construction, PlaysTheFirstFactoryProgramWithNothingSelectedAndHasAnEditor) {
  // The record's identity is the ABI suite's.
  TSynth synth(nullptr);
  ASSERT_GE(synth.BankCount(), 32);
  EXPECT_EQ(synth.EditBufferRecord(), synth.BankProgram(0));
  EXPECT_NE(RecordName(synth.BankProgram(0)), RecordName(qvt::DefaultProgram()));
  EXPECT_EQ(synth.SelectedIndex(), -1);
  EXPECT_EQ(synth.getProgram(), 0);
  ASSERT_NE(synth.getEditor(), nullptr);
  for (int step = 0; step < 16; ++step) EXPECT_EQ(synth.StepRatio(step), 1.0f) << step;
}
