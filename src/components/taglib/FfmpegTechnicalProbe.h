#pragma once
// A TechnicalProbe over libavformat: the stream parameters of the file's
// best audio stream, without decoding.

#include "components/taglib/TechnicalData.h"

bool ffmpegTechnicalProbe(const QString& fileName, TechnicalData& data);
