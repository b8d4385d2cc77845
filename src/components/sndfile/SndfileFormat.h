#pragma once
// The formats SndfileWriter writes, as libsndfile is told them.

#include "components/sndfile/SndfileWriter.h"

struct sf_private_tag;

namespace sndfileformat {

// Throws TamselError saying what the container cannot store.
void validate(const SndfileWriter::Format& format);
int storedRate(SndfileWriter::Container container, int sampleRate);
// libsndfile's major format and subtype of a file of format.
int majorFormat(const SndfileWriter::Format& format);
int subtype(const SndfileWriter::Format& format);
// Settings a freshly opened file needs before its first frame (bitrates,
// page length, RF64); false when libsndfile refused one.
bool configure(sf_private_tag* file, const SndfileWriter::Format& format);

}  // namespace sndfileformat
