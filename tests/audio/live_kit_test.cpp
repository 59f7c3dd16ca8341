// The recorded Live kit and the choice of a drum's buffer from any kit.
#include "audio/live_kit.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "audio/sample_library.h"
#include "support/child_process.h"
#include "support/thrown.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::TemporaryDirectory;

void writeSound(const fs::path& path, int format, int rate, int channels, const std::vector<float>& frames) {
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size()) / channels);
    sf_close(file);
}

constexpr int cafFloat = SF_FORMAT_CAF | SF_FORMAT_FLOAT;

TEST(LiveKit, LocationBesideTheProgramOrInItsBundle) {
    EXPECT_EQ(findLiveKit("/w/build/release/player", std::nullopt).folder, fs::path("/w/build/Kits/Live"));
    EXPECT_EQ(findLiveKit("/w/build/knockbox", std::nullopt).folder, fs::path("/w/Kits/Live"));
    TemporaryDirectory bundle;
    // A resources folder without the kit does not count.
    EXPECT_EQ(findLiveKit("/w/build/knockbox", bundle.path()).folder, fs::path("/w/Kits/Live"));
    fs::create_directories(bundle / "Kits/Live");
    EXPECT_EQ(findLiveKit("/w/build/knockbox", bundle.path()).folder, bundle.path() / "Kits" / "Live");
}

TEST(LiveKit, ReadsOnly48kHzMonoFloatRecordings) {
    TemporaryDirectory directory;
    const std::vector<float> frames{0.0f, 0.25f, -0.5f, 0.125f, 1e-7f, 0.0f};
    writeSound(directory / "kick-1-2.caf", cafFloat, 48000, 1, frames);
    EXPECT_EQ(readDrumRecording(directory / "kick-1-2.caf"), frames);

    const std::vector<float> some(64, 0.25f);
    writeSound(directory / "snare-2-1.caf", cafFloat, 44100, 1, some);
    writeSound(directory / "hihat-0-0.caf", cafFloat, 48000, 2, some);
    writeSound(directory / "tom-0-0.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 48000, 1, some);
    writeSound(directory / "tom-0-1.caf", cafFloat, 48000, 1, {});
    writeSound(directory / "tom-0-2.caf", cafFloat, 48000, 1, {0.1f, std::numeric_limits<float>::quiet_NaN()});
    std::ofstream(directory / "kick-0-0.caf") << "not a sound file";
    for (const char* name : {"snare-2-1.caf", "hihat-0-0.caf", "tom-0-0.caf", "tom-0-1.caf", "tom-0-2.caf",
                             "kick-0-0.caf"}) {
        const auto error = test::thrown<SampleError>([&] { readDrumRecording(directory / name); });
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(error->kind(), SampleError::Kind::invalidFile);
        EXPECT_EQ(error->fileName(), name);
        EXPECT_NE(std::string(error->what()).find(name), std::string::npos) << error->what();
    }
}

// The recordings in the source tree: complete, readable, all different, and
// louder from layer to layer.
TEST(LiveKit, CommittedRecordingsAreCompleteDistinctAndLayeredByLoudness) {
    std::vector<std::vector<float>> all;
    for (Drum drum : allDrums) {
        double previousLayerPeak = 0.0;
        for (int layer = 0; layer < 4; ++layer) {
            double layerPeak = 0.0;
            for (int variation = 0; variation < 3; ++variation) {
                SCOPED_TRACE(liveRecordingName(drum, layer, variation));
                std::vector<float> samples = loadSample(drum, DrumKit::live, layer, variation);
                ASSERT_GT(samples.size(), 4800u);            // at least 0.1 s
                EXPECT_LE(samples.size(), 38400u);           // at most 0.8 s
                EXPECT_EQ(samples.front(), 0.0f);            // faded in after the trimmed silence
                EXPECT_LT(std::abs(samples.back()), 1e-3f);  // faded out
                float peak = 0.0f;
                for (float sample : samples) peak = std::max(peak, std::abs(sample));
                EXPECT_LE(peak, 0.8201f);
                layerPeak += peak / 3;
                all.push_back(std::move(samples));
            }
            EXPECT_GT(layerPeak, previousLayerPeak) << rawValue(drum) << " layer " << layer;
            previousLayerPeak = layerPeak;
        }
    }
    ASSERT_EQ(all.size(), 48u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (std::size_t j = i + 1; j < all.size(); ++j) EXPECT_NE(all[i], all[j]) << i << " and " << j;
    }
}

// What an export writes: each kit's hard layer, first variation (the live
// kit's: tests/e2e/program_location_test.cpp).
TEST(SampleBuffer, ExportsTheHardLayersFirstVariation) {
    for (DrumKit kit : {DrumKit::studio, DrumKit::electronic, DrumKit::lofi}) {
        for (Drum drum : allDrums) EXPECT_EQ(sampleBuffer(drum, kit), synthesize(drum, kit, false, 0)) << rawValue(kit);
    }
}

}  // namespace
}  // namespace knockbox
