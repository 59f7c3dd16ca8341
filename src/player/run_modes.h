#pragma once
// The player's run modes: each runs on the main thread, returns normally or
// throws an error whose description the entry prints after "Błąd: ".

#include <exception>

#include "player/options.h"

namespace knockbox {

// Thrown by a run mode whose failure has already been written (with the
// summary after it): the program ends with status 1 and writes nothing more.
struct ReportedFailure : std::exception {
    const char* what() const noexcept override { return "the run failed"; }
};

void probe(const Options& options);
void checkAccess(const Options& options);
void sensorStream(const Options& options);
void exportSamples(const Options& options);
void demo(const Options& options);
void replay(const Options& options);
void live(const Options& options);

}  // namespace knockbox
