// The effect modules: delay line and chorus, comb, allpass and reverb.
#pragma once

#include "dsp/uChorus.h"
#include "dsp/uFastDelay.h"
#include "dsp/uReverb.h"
