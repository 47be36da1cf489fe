// A plug-in object that fails inside every call: the host sees the fallbacks,
// the failures are counted, and one line reaches the log at a safe opcode.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "host/AudioEffect.h"

namespace {

class TFailingEffect : public AudioEffect {
public:
  TFailingEffect() : AudioEffect(nullptr, 1, 4) {}
  void setParameter(VstInt32, float) override { throw std::runtime_error("set failed"); }
  float getParameter(VstInt32) override { throw 42; }
  void processReplacing(float**, float**, VstInt32) override { throw std::bad_alloc(); }
  std::string getParameterName(VstInt32) override { throw std::logic_error("no name"); }
};

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

} // namespace

TEST(BoundaryGuard, FailuresAnswerTheFallbackAreCountedAndReportedOnce) {
  auto* fx = new TFailingEffect;
  AEffect* e = fx->getAeffect();
  e->setParameter(e, 0, 0.5f);
  EXPECT_EQ(e->getParameter(e, 0), 0.0f);
  float left[4], right[4];
  float* outputs[] = {left, right};
  e->processReplacing(e, nullptr, outputs, 4);
  char name[64] = "unchanged";
  EXPECT_EQ(e->dispatcher(e, effGetParamName, 0, 0, name, 0.0f), 0);
  EXPECT_EQ(fx->BoundaryFailures.Count(), 4u);

  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  fx->BoundaryFailures.ReportOnce(log);
  fx->BoundaryFailures.ReportOnce(log);
  EXPECT_EQ(Contents(log), "Quivertone: 4 failure(s) caught where the host calls the plug-in; "
                           "the first, in setParameter: set failed\n");
  std::fclose(log);
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1); // frees the object
}
