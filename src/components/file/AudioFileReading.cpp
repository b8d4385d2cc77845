// The component with FFmpeg as its reader, in a file of its own: a program
// that never calls this constructor links no decoder.

#include "components/ffmpeg/FfmpegReader.h"
#include "components/file/AudioFile.h"

AudioFile::AudioFile() : AudioFile(std::make_unique<FfmpegReader>()) {}
