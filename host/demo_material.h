// The --demo input: about ten seconds of music synthesised on the spot, so the demo
// needs no sample files. A bass line moves under a melody with rich harmonics, quiet
// noise fills the spectrum (it lets the plot show the gain between the notes), and a
// short silence tests how the tracking recovers.
#pragma once

#include "host/audio_io.h"

constexpr int kDemoSampleRate = 44100;
constexpr double kDemoSeconds = 10.0;
// The factory program the demo renders with, when the plug-in has it.
constexpr const char* kDemoProgram = "Bass Enhancer";

StereoBuffer synthesiseDemo(int sampleRate = kDemoSampleRate);
