#pragma once
// The title a running copy is known by; a second copy that finds it ends.
inline constexpr const char* kApplicationTitle = "Tamsel V1.02";
