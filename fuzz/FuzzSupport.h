#pragma once
// What the fuzz targets share: the input as a file of a given extension, in
// a private folder that goes with the process.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Writes data to "<private folder>/input<extension>" (the same name each
// time, so the folder never fills) and returns that name.
QString asFile(const uint8_t* data, size_t size, const char* extension);

}  // namespace fuzz
