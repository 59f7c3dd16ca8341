#pragma once

namespace knockbox {

// Opens the null device on each of standard input, output and error that is
// closed, before anything else opens a file: otherwise the next file opened
// (a recording, the signal pipe) would land on that number and receive
// whatever is written there.
void reopenClosedStandardStreams();

}  // namespace knockbox
