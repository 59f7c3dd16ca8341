#pragma once
// Fresh random UUIDs, for names that must never repeat.

#include <string>

namespace knockbox {

// A version 4 UUID from the system's random source, in its upper-case
// 8-4-4-4-12 form ("6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B").
std::string randomUUID();

}  // namespace knockbox
