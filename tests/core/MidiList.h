// One MIDI message in an event list of its own, as a host hands it to processEvents.
#pragma once

#include "host/vst2.h"

struct TMidiList {
  TMidiList(int status, int data1, int data2, VstInt32 delta = 0) {
    Event.type = kVstMidiType;
    Event.byteSize = sizeof(VstMidiEvent);
    Event.deltaFrames = delta;
    Event.midiData[0] = static_cast<char>(status);
    Event.midiData[1] = static_cast<char>(data1);
    Event.midiData[2] = static_cast<char>(data2);
    List.numEvents = 1;
    List.events[0] = reinterpret_cast<VstEvent*>(&Event);
  }
  TMidiList(const TMidiList&) = delete; // the list points into this object

  VstMidiEvent Event{};
  VstEvents List{};
};
