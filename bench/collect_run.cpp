// A whole collection run over a loopback gallery of 20 entries with 20 images
// of 100 KiB each, pauses off, against the same fetches made by the curl
// command-line tool in one invocation (which keeps its connections) as the
// baseline. Reports the time per request and the HTTPS connections each
// server accepted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "collect/collect.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/https_server.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace {

using qimbra::Text;

constexpr int kEntries = 20;
constexpr int kImagesPerEntry = 20;
constexpr size_t kImageBytes = 100 * 1024;
constexpr int kRequestsPerRun = 1 + kEntries + kEntries * kImagesPerEntry;

class BenchHost : public qimbra::RunHost {
  public:
    explicit BenchHost(Text folder) : folder_(std::move(folder)) {}
    Text ReadSaveFolderBox() override { return folder_; }
    void StoreSaveDirectory(const Text& directory) override { directory_ = directory; }
    int32_t ShowNotice(const Text&) override { return 0; }

  private:
    Text folder_;
    Text directory_;
};

// The loopback gallery with kEntries entries of kImagesPerEntry images, every
// image the same random 100 KiB.
struct Gallery {
    qimbra::testing::FixtureGallery fixture;
    std::vector<std::string> urls;  // every address a run fetches, in order

    Gallery() {
        auto image = std::make_shared<std::string>(kImageBytes, '\0');
        std::mt19937 random(7);
        for (char& byte : *image) byte = static_cast<char>(random());
        image->replace(0, 3, "\xFF\xD8\xFF");  // a JPEG's first bytes, so that the run saves it

        std::vector<qimbra::testing::FixtureEntry> entries;
        urls.push_back("https://" + fixture.PageHost() + "/archives.html");
        for (int e = 1; e <= kEntries; ++e) {
            const std::string link = "p/" + std::to_string(e) + ".html";
            entries.push_back({link, "第" + std::to_string(e) + "组"});
            urls.push_back("https://" + fixture.PageHost() + "/" + link);
            std::vector<std::string> names;
            for (int i = 1; i <= kImagesPerEntry; ++i) {
                names.push_back(std::to_string(e) + "-" + std::to_string(i));
                urls.push_back(fixture.ImageUrl(names.back()));
            }
            fixture.SetEntry(link, names);
        }
        fixture.SetArchive(entries, {"Set-Cookie: sid=bench; path=/"});
        // One body for every image, not a copy per image.
        fixture.images().HandleOthers([image](const qimbra::testing::Request&, qimbra::testing::Response& r) {
            r.header_lines = {"Content-Type: image/jpeg"};
            r.body = *image;
        });
    }
};

Gallery& TheGallery() {
    static Gallery gallery;
    return gallery;
}

double run_seconds = 0;
double curl_seconds = 0;

// Per iteration: a fresh temporary folder and `prepare(folder)`, untimed; then
// the fetches that `prepare` returned, timed; then the folder goes, untimed.
// Reports per run the requests, milliseconds per request and connections each
// server accepted, and returns the mean seconds per run.
template <typename Prepare>
double TimeRuns(benchmark::State& state, Prepare prepare) {
    qimbra::testing::HttpsServer& pages = TheGallery().fixture.pages();
    qimbra::testing::HttpsServer& images = TheGallery().fixture.images();
    const int pages_before = pages.ConnectionCount();
    const int images_before = images.ConnectionCount();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<qimbra::testing::TempDir>();
        auto fetch_all = prepare(*folder);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        fetch_all();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    const double seconds_per_run = total / runs;
    state.counters["requests"] = kRequestsPerRun;
    state.counters["ms_per_request"] = seconds_per_run * 1000.0 / kRequestsPerRun;
    state.counters["page_conns"] = (pages.ConnectionCount() - pages_before) / runs;
    state.counters["image_conns"] = (images.ConnectionCount() - images_before) / runs;
    pages.ClearRequests();
    images.ClearRequests();
    return seconds_per_run;
}

void BM_CollectRun(benchmark::State& state) {
    const qimbra::RunSettings settings = TheGallery().fixture.Settings(0);
    run_seconds = TimeRuns(state, [&settings](const qimbra::testing::TempDir& folder) {
        return [&settings, host = BenchHost(qimbra::Cp936(folder.path()))]() mutable {
            // As in the program, every run has a thread (and connections) of
            // its own.
            std::thread worker([&] { qimbra::RunCollection(settings, host); });
            worker.join();
        };
    });
}

void BM_CurlBaseline(benchmark::State& state) {
    curl_seconds = TimeRuns(state, [&state](const qimbra::testing::TempDir& folder) {
        const std::string config = folder.Child("curl.config");
        {
            std::ofstream out(config);
            int n = 0;
            for (const std::string& url : TheGallery().urls) {
                out << "url = \"" << url << "\"\noutput = \"" << folder.Child(std::to_string(++n)) << "\"\n";
            }
        }
        return [&state, command = "curl -k -s -S --parallel-max 1 -K '" + config + "'"] {
            if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
        };
    });
}

BENCHMARK(BM_CollectRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CurlBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (run_seconds > 0 && curl_seconds > 0) {
        std::printf("run / curl baseline: %.3f s / %.3f s = %.2fx (goal: within 1.3x)\n", run_seconds, curl_seconds,
                    run_seconds / curl_seconds);
    }
    return 0;
}
