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
#include <regex>
#include <sstream>

#include "protocol/player_event.h"
#include "recording/csv_recording.h"
#include "support/child_process.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::ChildProcess;
using test::TemporaryDirectory;

// General MIDI drums (kick, snare, hi-hat, tom) on channel 10, as the
// README's table gives them.
using Pitches = std::array<int, 4>;
constexpr Pitches generalMidi{36, 38, 42, 45};

struct Note {
    bool on;
    double time;  // s
    int channel;  // 0 to 15: 9 is channel 10
    int pitch, velocity;
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

// Each hit line's drum as a note-on, in order, on channel 10 with its note
// and velocity (the line's volume × 127, which the line rounds), and as many
// note-offs.
void expectNotesOfHitLines(const std::vector<Note>& notes, const std::string& err, const Pitches& pitches) {
    std::vector<Note> ons, offs;
    for (const Note& note : notes) (note.on ? ons : offs).push_back(note);
    std::size_t i = 0;
    for (const std::string& line : test::linesOf(err)) {
        const auto event = parsePlayerEvent(line);
        if (!event || !std::holds_alternative<HitEvent>(*event)) continue;
        ASSERT_LT(i, ons.size()) << line;
        EXPECT_EQ(ons[i].channel, 9) << line;
        EXPECT_EQ(ons[i].pitch, pitches[index(std::get<HitEvent>(*event).drum)]) << line;
        EXPECT_NEAR(ons[i++].velocity, *hitVolume(line) * 127, 1.2) << line;
    }
    EXPECT_EQ(i, ons.size()) << err;
    EXPECT_GE(i, 4u) << err;
    EXPECT_EQ(offs.size(), ons.size());
}

TEST(Takes, MidiAndSoundHoldEveryDrumWhereItStarted) {
    TemporaryDirectory folder;
    const simulation::Scene scene = test::fourDrums(11, 3.6);
    const std::vector<AccelSample> samples = simulation::render(scene);
    test::writeFile(folder / "four.csv", recordingText(samples));
    const std::string mid = (folder / "four.mid").string();
    // No saved side profile, and for --midi below no JACK server.
    const auto replay = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"--replay", (folder / "four.csv").string(), "--mute"});
        return test::runKnockbox(more, {.environment = {{"KNOCKBOX_SIDE_PROFILE", (folder / "none").string()},
                                                        {"JACK_DEFAULT_SERVER", "knockbox-test-none"}}});
    };
    const auto result = replay({"--take", mid, "--take", (folder / "four.wav").string(), "--midi-note", "kick=35"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<Note> notes = readMidiFile(mid);
    expectNotesOfHitLines(notes, result.err, {35, 38, 42, 45});
    ASSERT_EQ(notes.size(), 8u);
    // From the first sample: each drum starts when the detector has seen its
    // 34 ms attack window, and its note ends 50 ms later. (When a drum starts
    // with the fast trigger: the session's tests.)
    const std::vector<simulation::IntendedHit> taps = simulation::intendedHits(scene);
    for (std::size_t i = 0; i < taps.size() && 2 * i < notes.size(); ++i) {
        const double tap = taps[i].t - samples.front().t;
        EXPECT_TRUE(notes[2 * i].time - tap >= 0.030 && notes[2 * i].time - tap <= 0.040) << i;
        EXPECT_NEAR(notes[2 * i + 1].time - notes[2 * i].time, 0.050, 1e-6) << i;
    }

    // The sound (its frames: tests/audio/take_render_test.cpp): 48 kHz stereo 24-bit,
    // the run's length at least, starting with the first note (within the
    // note's millisecond and the limiter's 1 ms look-ahead).
    SF_INFO info{};
    SNDFILE* file = sf_open((folder / "four.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> sound(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_readf_float(file, sound.data(), info.frames), info.frames);
    sf_close(file);
    EXPECT_TRUE(info.samplerate == 48000 && info.channels == 2 && (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24);
    EXPECT_EQ(test::readFile(folder / "four.wav").substr(0, 4), "RIFF");  // a short take is a plain WAV
    EXPECT_GE(static_cast<double>(info.frames), (samples.back().t - samples.front().t) * 48000);
    const auto first = std::find_if(sound.begin(), sound.end(), [](float sample) { return sample != 0.0f; });
    EXPECT_NEAR(static_cast<double>(first - sound.begin()) / 2 / 48000, notes.at(0).time + 0.001, 0.0015);

    // Without an ALSA sequencer or a JACK server, --midi ends the run before it
    // plays, with the one line that says so (nothing from the MIDI libraries),
    // and the takes stay as they were.
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
    const auto refused = replay({"--midi", "--take", mid, "--take", (folder / "new.wav").string()});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.err,
              "Błąd: Nie można otworzyć portu MIDI Knockbox: brak sekwencera ALSA (/dev/snd/seq) i działającego "
              "serwera JACK.\n");
    EXPECT_EQ(readMidiFile(mid).size(), notes.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);  // csv, mid, wav
}

// Every hit line has its note-on, received by a JACK MIDI client, and the
// take of a run ended by a signal holds the same notes. The server, its
// tools and the player run as one user: a JACK server serves its own only.
TEST(LiveMidi, EveryHitLineHasItsNoteOnOverJack) {
    TemporaryDirectory folder;
    simulation::Scene scene = test::fourDrums(12, 6.0);  // the sensor loops it; the stop comes first
    for (simulation::Tap& tap : scene.taps) tap.time += 1.3;  // time for the receiver to connect
    test::writeRecording(folder / "four.csv", scene);
    const auto start = [&](const std::string& program, std::vector<std::string> arguments,
                           test::ProcessSetup setup = {}) {
        setup.arguments = std::move(arguments);
        setup.environment["JACK_DEFAULT_SERVER"] = "knockbox-test-" + std::to_string(getpid());
        const test::Command command = test::asUnprivilegedUser(
            program, setup, program == KNOCKBOX_EXECUTABLE ? test::Placement::copy : test::Placement::inPlace);
        return std::make_unique<ChildProcess>(command.executable, command.setup);
    };
    // Long periods (43 ms): a client kept from running through a whole period
    // by a busy machine would miss the events of that period.
    const auto server = start("/usr/bin/jackd", {"--no-realtime", "-d", "dummy", "-p", "2048"});
    ASSERT_EQ(start("/usr/bin/jack_wait", {"--wait", "--timeout", "20"})->wait().exitStatus, 0) << server->errorSoFar();
    const auto dump = start("/usr/bin/jack_midi_dump", {"dump"});
    test::ProcessSetup sensor = test::simulatedSensor(folder / "four.csv");
    sensor.environment["KNOCKBOX_SIDE_PROFILE"] = (folder / "none").string();
    const auto player = start(KNOCKBOX_EXECUTABLE,
                              {"--direct-sensor", "--midi", "--mute", "--take", (folder / "live.mid").string()}, sensor);
    const auto connect = [&] { return start("/usr/bin/jack_connect", {"Knockbox:Knockbox", "dump:input"})->wait(); };
    ASSERT_TRUE(test::eventually([&] { return connect().exitStatus == 0; }, 20)) << player->errorSoFar();
    ASSERT_EQ(player->errorSoFar().find("peak"), std::string::npos) << "connected after the first tap";

    const std::regex event(R"(note (on|off) +\(channel +(\d+)\): pitch +(\d+), velocity +(\d+))");
    const auto received = [&] {
        std::vector<Note> notes;
        const std::string output = dump->outputSoFar();
        for (std::sregex_iterator at(output.begin(), output.end(), event), end; at != end; ++at)
            notes.push_back({(*at)[1] == "on", 0, std::stoi((*at)[2]), std::stoi((*at)[3]), std::stoi((*at)[4])});
        return notes;
    };
    // The recording's taps, then a stop as Ctrl-C; then all that was sent
    // (the take keeps it too) arrives.
    ASSERT_TRUE(test::eventually([&] { return received().size() >= 8; }, 30)) << player->errorSoFar();
    player->sendSignal(SIGTERM);
    const auto result = player->wait();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<Note> taken = readMidiFile(folder / "live.mid");
    EXPECT_TRUE(test::eventually([&] { return received().size() == taken.size(); }, 10)) << dump->outputSoFar();
    expectNotesOfHitLines(received(), result.err, generalMidi);
    expectNotesOfHitLines(taken, result.err, generalMidi);
    // Clients that leave on their own: the server then stops without waiting for them.
    dump->sendSignal(SIGTERM);
    dump->wait();
    server->sendSignal(SIGTERM);
    server->wait();
}

}  // namespace
}  // namespace knockbox
