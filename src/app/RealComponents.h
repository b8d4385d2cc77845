#pragma once
// The product's components: PulseAudio, FFmpeg/libsndfile/libvorbis, TagLib,
// KissFFT and the SVG skin engine.

#include "app/MainComponents.h"

MainComponents makeRealComponents();
