#include "audio/sample_library.h"

namespace knockbox {

SampleError::SampleError(Kind kind, std::string fileName, const std::string& message)
    : std::runtime_error(message), kind_(kind), fileName_(std::move(fileName)) {}

SampleError SampleError::invalidFile(const std::string& fileName) {
    return SampleError(Kind::invalidFile, fileName,
                       "The drum recording " + fileName +
                           " cannot be used: it must be a 48 kHz mono 32-bit float sound file.");
}

SampleError SampleError::allocationFailed() {
    return SampleError(Kind::allocationFailed, {}, "There is not enough memory for a drum sample.");
}

}  // namespace knockbox
