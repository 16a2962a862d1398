// Cost per file of the reads the table and the generated steps make: the image
// probe, the date a photo was taken, the resource values and the whole file
// information, over 1,000
// generated files of each kind. Each benchmark measures its own floor in the same
// run, right after its timed loop, and reports microseconds per file, the floor,
// the cost beyond it and the ratio:
//   probe: open + read 4 KiB + close of each file (target: under 50 µs beyond it);
//   date taken: the same (target: under 5 µs beyond it);
//   resource values: one stat of each file.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libexif/exif-data.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/FileInfo.hpp"
#include "system/FileSystem.hpp"
#include "system/ImageProbe.hpp"
#include "system/PhotoDate.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 1000;
constexpr double kProbeTargetUs = 50.0;
constexpr double kDateTargetUs = 5.0;

enum Kind { cameraJpeg, strippedJpeg, png, datedJpeg, kindCount };
constexpr std::array<const char*, kindCount> kSuffixes = {"camera.jpg", "plain.jpg", "png",
                                                          "dated.jpg"};

// An EXIF block as a camera writes one: libexif's mandatory tags, the date
// taken with its offset, a 6 KiB maker note and a 10 KiB thumbnail, as an APP1
// segment.
std::string cameraExifSegment() {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    exif_data_fix(data);
    const auto text = [&](ExifIfd ifd, ExifTag tag, const char* value) {
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(data->ifd[ifd], entry);
        entry->tag = tag;
        entry->format = EXIF_FORMAT_ASCII;
        entry->components = std::strlen(value) + 1;
        entry->size = static_cast<unsigned>(entry->components);
        entry->data = static_cast<unsigned char*>(std::malloc(entry->size));
        std::memcpy(entry->data, value, entry->size);
        exif_entry_unref(entry);
    };
    text(EXIF_IFD_0, EXIF_TAG_MAKE, "Camera maker");
    text(EXIF_IFD_0, EXIF_TAG_MODEL, "Camera model 2");
    text(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, "2024:05:01 10:00:00");
    text(EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, "+02:00");
    ExifEntry* note = exif_entry_new();
    exif_content_add_entry(data->ifd[EXIF_IFD_EXIF], note);
    note->tag = EXIF_TAG_MAKER_NOTE;
    note->format = EXIF_FORMAT_UNDEFINED;
    note->components = note->size = 6 * 1024;
    note->data = static_cast<unsigned char*>(std::calloc(note->size, 1));
    exif_entry_unref(note);
    data->size = 10 * 1024;
    data->data = static_cast<unsigned char*>(std::calloc(data->size, 1));
    unsigned char* block = nullptr;
    unsigned int length = 0;
    exif_data_save_data(data, &block, &length);
    exif_data_unref(data);
    if (!block || length + 2 > 0xFFFF) std::abort();
    std::string segment = {'\xFF', '\xE1', char((length + 2) >> 8), char((length + 2) & 0xFF)};
    segment.append(reinterpret_cast<const char*>(block), length);
    std::free(block);
    return segment;
}

// A folder of generated files, made once per process and removed at exit.
class Corpus {
public:
    static const Corpus& shared() {
        static const Corpus corpus;
        return corpus;
    }

    const std::vector<fs::path>& files(Kind kind) const { return files_[kind]; }

    ~Corpus() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

private:
    Corpus() {
        std::string pattern = (fs::temp_directory_path() / "tavix-probe-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        if (VIPS_INIT("tavix-bench") != 0) std::abort();

        // A 1920 × 1080 RGB image, saved three ways: as libvips writes a JPEG (with
        // a small EXIF block, as camera files have), without any metadata, and as PNG.
        VipsImage* black = nullptr;
        VipsImage* image = nullptr;
        if (vips_black(&black, 1920, 1080, "bands", 3, nullptr) != 0 ||
            vips_copy(black, &image, "interpretation", VIPS_INTERPRETATION_sRGB, nullptr) != 0) {
            std::abort();
        }
        std::array<void*, kindCount> buffers{};
        std::array<std::size_t, kindCount> lengths{};
        if (vips_jpegsave_buffer(image, &buffers[cameraJpeg], &lengths[cameraJpeg], nullptr) ||
            vips_jpegsave_buffer(image, &buffers[strippedJpeg], &lengths[strippedJpeg], "strip",
                                 TRUE, nullptr) ||
            vips_pngsave_buffer(image, &buffers[png], &lengths[png], nullptr)) {
            std::abort();
        }
        // The stripped JPEG with a camera's EXIF block after its start.
        std::string dated(static_cast<const char*>(buffers[strippedJpeg]), lengths[strippedJpeg]);
        dated.insert(2, cameraExifSegment());
        buffers[datedJpeg] = g_memdup2(dated.data(), dated.size());
        lengths[datedJpeg] = dated.size();
        for (int kind = 0; kind < kindCount; ++kind) {
            for (int i = 0; i < kFiles; ++i) {
                const fs::path file = folder_ / ("IMG_" + std::to_string(1000 + i) + "." +
                                                 kSuffixes[static_cast<std::size_t>(kind)]);
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd < 0 || ::write(fd, buffers[kind], lengths[kind]) !=
                                  static_cast<ssize_t>(lengths[kind])) {
                    std::abort();
                }
                ::close(fd);
                files_[kind].push_back(file);
            }
            g_free(buffers[kind]);
        }
        g_object_unref(image);
        g_object_unref(black);
    }

    fs::path folder_;
    std::array<std::vector<fs::path>, kindCount> files_;
};

// What any reader of a file pays: open it, read its first 4 KiB, close it.
void openReadClose(const fs::path& file) {
    std::array<char, 4096> head;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(fd, head.data(), head.size()));
    ::close(fd);
}

void plainStat(const fs::path& file) {
    struct stat status;
    benchmark::DoNotOptimize(::stat(file.c_str(), &status));
}

double microsecondsPerFile(Clock::duration elapsed, std::int64_t passes) {
    return std::chrono::duration<double, std::micro>(elapsed).count() /
           (static_cast<double>(passes) * kFiles);
}

// The CPU time of this process, user and system, which other load on the
// machine barely moves (unlike the wall clock).
Clock::duration processCpuTime() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(now.tv_sec) +
                                                       std::chrono::nanoseconds(now.tv_nsec));
}

// Runs `work` over every file once per iteration, then times `floor` over the
// same files for as many passes (at least three) and reports both per file, in
// wall time and (cpu_*) in CPU time.
void perFileAgainstFloor(benchmark::State& state, Kind kind,
                         const std::function<void(const fs::path&)>& work,
                         const std::function<void(const fs::path&)>& floor, double targetUs) {
    const auto& files = Corpus::shared().files(kind);
    for (const auto& file : files) work(file);  // warm the caches once, untimed

    const auto started = Clock::now();
    const auto cpuStarted = processCpuTime();
    for (auto _ : state) {
        for (const auto& file : files) work(file);
    }
    const double perFile = microsecondsPerFile(Clock::now() - started, state.iterations());
    const double cpuPerFile =
        microsecondsPerFile(processCpuTime() - cpuStarted, state.iterations());

    const std::int64_t floorPasses = std::max<std::int64_t>(3, state.iterations());
    const auto floorStarted = Clock::now();
    const auto floorCpuStarted = processCpuTime();
    for (std::int64_t pass = 0; pass < floorPasses; ++pass) {
        for (const auto& file : files) floor(file);
    }
    const double floorPerFile = microsecondsPerFile(Clock::now() - floorStarted, floorPasses);
    const double cpuFloorPerFile =
        microsecondsPerFile(processCpuTime() - floorCpuStarted, floorPasses);

    state.SetItemsProcessed(state.iterations() * kFiles);
    state.counters["us_per_file"] = perFile;
    state.counters["floor_us"] = floorPerFile;
    state.counters["beyond_floor_us"] = perFile - floorPerFile;
    state.counters["x_floor"] = perFile / floorPerFile;
    if (targetUs > 0) state.counters["beyond_vs_target"] = (perFile - floorPerFile) / targetUs;
    state.counters["cpu_us_per_file"] = cpuPerFile;
    state.counters["cpu_floor_us"] = cpuFloorPerFile;
    state.counters["cpu_beyond_floor_us"] = cpuPerFile - cpuFloorPerFile;
}

void BM_ImageProbe(benchmark::State& state, Kind kind) {
    perFileAgainstFloor(
        state, kind,
        [](const fs::path& file) { benchmark::DoNotOptimize(tavix::ImageProbe::read(file)); },
        openReadClose, kProbeTargetUs);
}

void BM_PhotoDate(benchmark::State& state, Kind kind) {
    perFileAgainstFloor(
        state, kind,
        [](const fs::path& file) { benchmark::DoNotOptimize(tavix::PhotoDate::read(file)); },
        openReadClose, kDateTargetUs);
}

void BM_ResourceValues(benchmark::State& state, Kind kind) {
    perFileAgainstFloor(
        state, kind,
        [](const fs::path& file) {
            benchmark::DoNotOptimize(tavix::FileSystem::resourceValues(file));
        },
        plainStat, 0);
}

void BM_ModificationTime(benchmark::State& state, Kind kind) {
    perFileAgainstFloor(
        state, kind,
        [](const fs::path& file) {
            benchmark::DoNotOptimize(tavix::FileSystem::modificationTime(file));
        },
        plainStat, 0);
}

// Everything the inspector shows: resource values, formatted texts and the probe.
void BM_FileInfo(benchmark::State& state, Kind kind) {
    perFileAgainstFloor(
        state, kind,
        [](const fs::path& file) { benchmark::DoNotOptimize(tavix::FileInfo::read(file)); },
        openReadClose, 0);
}

BENCHMARK_CAPTURE(BM_ImageProbe, camera_jpeg, cameraJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImageProbe, plain_jpeg, strippedJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImageProbe, png, png)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PhotoDate, camera_jpeg, datedJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PhotoDate, libvips_jpeg, cameraJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ResourceValues, jpeg, cameraJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ModificationTime, jpeg, cameraJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FileInfo, camera_jpeg, cameraJpeg)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
