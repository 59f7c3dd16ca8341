// Knockbox: the drum player, its sensor process and the configuration app in
// one executable; the arguments choose the role. The app's window system is
// touched only in the mode "ui", so the command line runs without a display.
#include <string>
#include <vector>

#include "platform/standard_streams.h"
#include "player/process_values.h"
#include "program/entry.h"

int main(int argc, char** argv) {
    knockbox::reopenClosedStandardStreams();
    knockbox::installProcessValues(knockbox::makeProcessValues(argc > 0 ? argv[0] : nullptr));
    return knockbox::runProgram(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
