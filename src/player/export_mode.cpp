// --export-samples DIR: the four drums of the chosen kits as WAV files.
#include <filesystem>

#include "audio/sample_export.h"
#include "core/line_text.h"
#include "platform/log_line.h"
#include "player/run_modes.h"

namespace knockbox {

void exportSamples(const Options& options) {
    const std::string directory = options.path.value_or("");
    exportSamples(std::filesystem::path(directory), options.sounds);
    // The folder as the user typed it.
    logLine("Zapisano kick/snare/hihat/tom WAV w " + outsideText(directory) + ".");
}

}  // namespace knockbox
