#pragma once
// The product's components: PulseAudio, FFmpeg/libsndfile/libvorbis, TagLib,
// KissFFT and the SVG skin engine; desktop notices over D-Bus.

#include "app/MainComponents.h"

MainComponents makeRealComponents();
