// The settings store under the update thread's load: a pass over 999 domains every 10 s reads ~3,000 keys.
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
using zelto::IndexedKey;
using zelto::SettingsFile;
using Keys = zelto::SettingsKeys;

constexpr int kDomains = 999;

// A settings file as a full domain list leaves it, in a folder of its own under the temporary directory.
class FullFile {
public:
    FullFile() {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("zelto-bench-" + std::to_string(random()));
        fs::create_directories(folder_);
        std::ofstream out(Path(), std::ios::binary);
        out << '[' << SettingsFile::kSection << "]\r\n"
            << Keys::kDomainCount << '=' << kDomains << "\r\n"
            << Keys::kAddressMethod << "=2\r\n";
        for (int n = 1; n <= kDomains; ++n) {
            out << IndexedKey(Keys::kTopLevel, n) << "=com\r\n"
                << IndexedKey(Keys::kDomain, n) << "=host-number-" << n << "\r\n"
                << IndexedKey(Keys::kPassword, n) << "=pw" << n << "\r\n";
        }
        out << Keys::kRecordedAddress << "=192.0.2.10\r\n"
            << Keys::kRecordedHour << "=13\r\n"
            << Keys::kRecordedDay << "=201\r\n"
            << Keys::kRecordedYear << "=2024\r\n";
    }
    ~FullFile() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    FullFile(const FullFile&) = delete;
    FullFile& operator=(const FullFile&) = delete;

    fs::path Path() const { return folder_ / "ZeltoPre.INI"; }

private:
    fs::path folder_;
};

void BM_ReadTextUnchanged(benchmark::State& state) {
    const FullFile file;
    const SettingsFile settings(file.Path());
    const std::string key = IndexedKey(Keys::kDomain, 500);
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.ReadText(key));
    }
}
BENCHMARK(BM_ReadTextUnchanged);

void BM_ReadIntUnchanged(benchmark::State& state) {
    const FullFile file;
    const SettingsFile settings(file.Path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.ReadInt(Keys::kDomainCount, 0));
    }
}
BENCHMARK(BM_ReadIntUnchanged);

// What the update thread reads in one pass: the count, then each domain's three keys and the method.
void BM_DomainPass(benchmark::State& state) {
    const FullFile file;
    const SettingsFile settings(file.Path());
    for (auto _ : state) {
        const int count = settings.ReadInt(Keys::kDomainCount, 0);
        for (int n = 1; n <= count; ++n) {
            benchmark::DoNotOptimize(settings.ReadText(IndexedKey(Keys::kPassword, n)));
            benchmark::DoNotOptimize(settings.ReadText(IndexedKey(Keys::kTopLevel, n)));
            benchmark::DoNotOptimize(settings.ReadText(IndexedKey(Keys::kDomain, n)));
            benchmark::DoNotOptimize(settings.ReadInt(Keys::kAddressMethod, 0));
        }
    }
    state.SetItemsProcessed(state.iterations() * (1 + 4 * kDomains));
}
BENCHMARK(BM_DomainPass)->Unit(benchmark::kMillisecond);

// The first read after another process's write: the whole file is read and parsed again.
void BM_ReadTextAfterForeignWrite(benchmark::State& state) {
    const FullFile file;
    const SettingsFile reader(file.Path());
    const std::string key = IndexedKey(Keys::kDomain, 500);
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::last_write_time(file.Path(), fs::file_time_type::clock::now() + std::chrono::seconds(++value));
        state.ResumeTiming();
        benchmark::DoNotOptimize(reader.ReadText(key));
    }
}
BENCHMARK(BM_ReadTextAfterForeignWrite)->Unit(benchmark::kMicrosecond);

// A write: the new text in a synced temporary file, renamed over the old one, the folder synced.
void BM_WriteText(benchmark::State& state) {
    const FullFile file;
    SettingsFile settings(file.Path());
    int value = 0;
    for (auto _ : state) {
        settings.WriteText(Keys::kRecordedHour, std::to_string(++value % 24));
    }
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
