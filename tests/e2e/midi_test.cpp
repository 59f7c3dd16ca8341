// MIDI and takes through the built executable, on short simulated recordings
// (they play in real time): a take's MIDI file read back by an independent
// reader (python3-mido) and its sound, and live MIDI received over a JACK
// server the test starts itself (the dummy driver: no sound card).
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "protocol/player_event.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::ProcessSetup;
using test::TemporaryDirectory;

// General MIDI drums on channel 10, as the README's table gives them: kick,
// snare, hi-hat, tom.
using Notes = std::array<int, 4>;
constexpr Notes generalMidi{36, 38, 42, 45};
constexpr int drumChannel = 9;  // channel 10, counted from 0 on the wire

struct Played {
    Drum drum;
    double volume;  // to two decimals, as the line gives it
};

// The drums the hit lines name, in order.
std::vector<Played> playedIn(const std::string& err) {
    std::vector<Played> played;
    for (const std::string& line : test::linesOf(err)) {
        const auto event = parsePlayerEvent(line);
        if (event && std::holds_alternative<HitEvent>(*event))
            played.push_back({std::get<HitEvent>(*event).drum, hitVolume(line).value()});
    }
    return played;
}

struct Note {
    bool on;
    double time;  // s
    int channel;  // 0 to 15
    int pitch;
    int velocity;
};

// The note events of a MIDI file as python3-mido reads them, at the times its
// tempo and resolution give.
std::vector<Note> readMidiFile(const fs::path& path) {
    const char* script = R"(
import sys, mido
t = 0
for m in mido.MidiFile(sys.argv[1]):
    t += m.time
    if m.type in ('note_on', 'note_off'):
        print(int(m.type == 'note_on'), repr(t), m.channel, m.note, m.velocity)
)";
    const auto result = ChildProcess("/usr/bin/python3", {.arguments = {"-c", script, path.string()}}).wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::vector<Note> notes;
    std::istringstream lines(result.out);
    for (Note note{}; lines >> note.on >> note.time >> note.channel >> note.pitch >> note.velocity;)
        notes.push_back(note);
    return notes;
}

// Each played drum as a note-on on channel 10 with its note and velocity
// (the line's volume × 127, which the line rounds), followed by its note-off
// before the next note.
void expectNotes(const std::vector<Note>& notes, const std::vector<Played>& played, const Notes& pitches) {
    ASSERT_EQ(notes.size(), 2 * played.size());
    for (std::size_t i = 0; i < played.size(); ++i) {
        const Note &on = notes[2 * i], &off = notes[2 * i + 1];
        EXPECT_TRUE(on.on && !off.on) << i;
        EXPECT_EQ(on.channel, drumChannel) << i;
        EXPECT_EQ(on.pitch, pitches[index(played[i].drum)]) << i;
        EXPECT_NEAR(on.velocity, played[i].volume * 127, 1.2) << i;
        EXPECT_EQ(off.pitch, on.pitch) << i;
    }
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(Takes, MidiAndSoundHoldEveryDrumWhereItStarted) {
    TemporaryDirectory folder;
    const simulation::Scene scene = test::fourDrums(11, 3.6);
    const std::vector<AccelSample> samples = simulation::render(scene);
    write(folder / "four.csv", recordingText(samples));
    const auto replay = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments{"--replay", (folder / "four.csv").string(), "--mute"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return ChildProcess(KNOCKBOX_EXECUTABLE,
                            {arguments, {{"KNOCKBOX_SIDE_PROFILE", (folder / "none.json").string()}}});
    };
    // Side by side: each replay runs in real time.
    ChildProcess full = replay({"--take", (folder / "four.mid").string(), "--take", (folder / "four.wav").string(),
                                "--midi-note", "kick=35"}),
                 fast = replay({"--fast-trigger", "--take", (folder / "fast.mid").string()});
    const auto result = full.wait();
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    ASSERT_EQ(fast.wait().exitStatus, 0);
    const std::vector<Played> played = playedIn(result.err);
    ASSERT_EQ(played.size(), 4u) << result.err;

    const std::vector<Note> notes = readMidiFile(folder / "four.mid");
    expectNotes(notes, played, {35, 38, 42, 45});
    // Timed from the first sample: each drum starts when the detector has
    // seen its 34 ms attack window (with the fast trigger, at the early
    // decision, 3–8 ms in), and ends 50 ms later.
    const std::vector<simulation::IntendedHit> taps = simulation::intendedHits(scene);
    const std::vector<Note> fastNotes = readMidiFile(folder / "fast.mid");
    ASSERT_EQ(notes.size(), 2 * taps.size());
    ASSERT_EQ(fastNotes.size(), 2 * taps.size());
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const double tap = taps[i].t - samples.front().t;
        EXPECT_GE(notes[2 * i].time - tap, 0.030) << i;
        EXPECT_LE(notes[2 * i].time - tap, 0.040) << i;
        EXPECT_GE(fastNotes[2 * i].time - tap, 0.002) << i;
        EXPECT_LE(fastNotes[2 * i].time - tap, 0.010) << i;
        EXPECT_NEAR(notes[2 * i + 1].time - notes[2 * i].time, 0.050, 1e-6) << i;
    }

    // The sound: 48 kHz stereo, the run's length at least, each drum's sound
    // beginning at its note (within the note's millisecond and the limiter's
    // 1 ms look-ahead), the kick on the left.
    SF_INFO info{};
    SNDFILE* file = sf_open((folder / "four.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> sound(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, sound.data(), info.frames), info.frames);
    sf_close(file);
    EXPECT_EQ(info.samplerate, 48000);
    ASSERT_EQ(info.channels, 2);
    EXPECT_GE(static_cast<double>(info.frames), (samples.back().t - samples.front().t) * 48000);
    const auto frameOf = [](double seconds) { return static_cast<std::size_t>(std::lround(seconds * 48000)); };
    // Summed over 5 ms of both channels, or of one (0 left, 1 right).
    const auto energy = [&](std::size_t from, int only = -1) {
        double sum = 0;
        for (std::size_t i = 2 * from; i < 2 * (from + 240) && i < sound.size(); ++i)
            if (only < 0 || static_cast<int>(i % 2) == only) sum += static_cast<double>(sound[i]) * sound[i];
        return sum;
    };
    const auto firstSound = static_cast<std::size_t>(
        std::find_if(sound.begin(), sound.end(), [](float sample) { return sample != 0.0f; }) - sound.begin()) / 2;
    EXPECT_GE(firstSound, frameOf(notes[0].time - 0.0005));
    EXPECT_LE(firstSound, frameOf(notes[0].time + 0.0025));
    for (std::size_t i = 0; i < played.size(); ++i) {
        const std::size_t at = frameOf(notes[2 * i].time);
        EXPECT_GT(energy(at + 120), 10 * energy(at - 360)) << i;
    }
    EXPECT_GT(energy(firstSound, 0), 2 * energy(firstSound, 1));
}

// A JACK server of the test's own, under a name no other run uses, run as the
// user the player runs as (JACK serves its own user only).
class JackServer {
public:
    JackServer() : name_("knockbox-test-" + std::to_string(getpid())) {
        server_ = start("/usr/bin/jackd", {"--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256"});
        const auto ready = run("/usr/bin/jack_wait", {"--wait", "--timeout", "20"});
        EXPECT_EQ(ready.exitStatus, 0) << ready.out << ready.err << server_->errorSoFar();
    }
    ~JackServer() {
        server_->sendSignal(SIGTERM);
        server_->wait(20);
    }

    ProcessSetup setup(std::vector<std::string> arguments, ProcessSetup base = {}) const {
        base.arguments = std::move(arguments);
        base.environment["JACK_DEFAULT_SERVER"] = name_;
        return base;
    }
    std::unique_ptr<ChildProcess> start(const std::string& program, std::vector<std::string> arguments) const {
        const test::Command command =
            test::asUnprivilegedUser(program, setup(std::move(arguments)), test::Placement::inPlace);
        return std::make_unique<ChildProcess>(command.executable, command.setup);
    }
    test::ProcessResult run(const std::string& program, std::vector<std::string> arguments) const {
        return start(program, std::move(arguments))->wait(30);
    }

private:
    std::string name_;
    std::unique_ptr<ChildProcess> server_;
};

// Every hit line has its note-on, received by a JACK MIDI client, and the
// take of a run ended by a signal holds the same notes.
TEST(LiveMidi, EveryHitLineHasItsNoteOnOverJack) {
    TemporaryDirectory folder;
    simulation::Scene scene = test::fourDrums(12, 6.0);  // the sensor loops it: no fifth tap before the stop
    for (simulation::Tap& tap : scene.taps) tap.time += 1.3;  // time for the receiver to connect
    write(folder / "four.csv", recordingText(simulation::render(scene)));
    JackServer jack;
    const auto dump = jack.start("/usr/bin/jack_midi_dump", {"-a", "dump"});
    ProcessSetup setup = jack.setup({"--direct-sensor", "--midi", "--mute", "--take", (folder / "live.mid").string()},
                                    test::simulatedSensor(folder / "four.csv"));
    setup.environment["KNOCKBOX_SIDE_PROFILE"] = (folder / "none.json").string();
    const test::Command command = test::asUnprivilegedUser(KNOCKBOX_EXECUTABLE, setup);
    ChildProcess player(command.executable, command.setup);
    ASSERT_TRUE(test::eventually(
        [&] { return jack.run("/usr/bin/jack_connect", {"Knockbox:Knockbox", "dump:input"}).exitStatus == 0; }, 20))
        << player.errorSoFar();
    ASSERT_TRUE(playedIn(player.errorSoFar()).empty()) << "connected after the first tap";

    // Four drums, then a stop as Ctrl-C stops it.
    const auto count = [](const std::string& text, const std::string& word) {
        std::size_t n = 0;
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
        return n;
    };
    ASSERT_TRUE(test::eventually([&] { return count(dump->outputSoFar(), "note off") == 4; }, 30))
        << player.errorSoFar() << dump->outputSoFar();
    player.sendSignal(SIGTERM);
    const auto result = player.wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<Played> played = playedIn(result.err);
    ASSERT_EQ(played.size(), 4u) << result.err;

    // A client that leaves on its own: the server then stops without waiting for it.
    dump->sendSignal(SIGTERM);
    const std::string output = dump->wait(20).out;
    std::vector<Note> received;
    const std::regex event(R"((note on|note off) +\(channel +(\d+)\): pitch +(\d+), velocity +(\d+))");
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, event))
            received.push_back({match[1] == "note on", 0.0, std::stoi(match[2]), std::stoi(match[3]),
                                std::stoi(match[4])});
    }
    expectNotes(received, played, generalMidi);
    expectNotes(readMidiFile(folder / "live.mid"), played, generalMidi);
}

// Neither an ALSA sequencer nor a JACK server: the run ends before it plays,
// with the one line that says so (nothing from the MIDI libraries), and
// leaves no take behind.
TEST(LiveMidi, WithoutAMidiSystemTheRunEndsAtOnce) {
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
    TemporaryDirectory folder;
    write(folder / "four.csv", recordingText(simulation::render(test::fourDrums(13, 2.5))));
    const auto result = test::runKnockbox(
        {"--replay", (folder / "four.csv").string(), "--mute", "--midi", "--take", (folder / "x.mid").string()},
        {.environment = {{"JACK_DEFAULT_SERVER", "knockbox-test-none-" + std::to_string(getpid())}}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err,
              "Błąd: Nie można otworzyć portu MIDI Knockbox: brak sekwencera ALSA (/dev/snd/seq) i działającego "
              "serwera JACK.\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace knockbox
