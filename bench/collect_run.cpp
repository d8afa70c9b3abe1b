// A whole collection run over a loopback gallery of 20 entries with 20 images
// of 100 KiB each, pauses off, against the same fetches made by the curl
// command-line tool in one invocation (which keeps its connections) as the
// baseline. Reports the time per request and the HTTPS connections each
// server accepted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "collect/collect.h"
#include "testing/https_server.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace {

namespace fs = std::filesystem;
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
    Text ReadSaveDirectory() override { return directory_; }
    int32_t ShowNotice(const Text&) override { return 0; }

  private:
    Text folder_;
    Text directory_;
};

// The gallery: pages on 127.0.0.1:<port>, images on localhost:<port>.
struct Gallery {
    qimbra::testing::HttpsServer pages;
    qimbra::testing::HttpsServer images;
    std::vector<std::string> urls;  // every address a run fetches, in order

    std::string PageHost() const { return "127.0.0.1:" + std::to_string(pages.port()); }
    std::string ImageHost() const { return "localhost:" + std::to_string(images.port()); }

    Gallery() {
        auto image = std::make_shared<std::string>(kImageBytes, '\0');
        std::mt19937 random(7);
        for (char& byte : *image) byte = static_cast<char>(random());

        std::string archive = "<html>全部展开/收缩<ul>\n";
        urls.push_back("https://" + PageHost() + "/archives.html");
        for (int e = 1; e <= kEntries; ++e) {
            const std::string link = "p/" + std::to_string(e) + ".html";
            archive += "<li><a href=" + link + ">第" + std::to_string(e) + "组</a></li>\n";
            urls.push_back("https://" + PageHost() + "/" + link);
            auto page = std::make_shared<std::string>("<html>\n");
            for (int i = 1; i <= kImagesPerEntry; ++i) {
                const std::string url =
                    "https://" + ImageHost() + "/image/" + std::to_string(e) + "-" + std::to_string(i) + ".jpeg";
                *page += "<img src=\"" + url + "\">\n";
                urls.push_back(url);
            }
            pages.Handle("GET", "/" + link,
                         [page](const qimbra::testing::Request&, qimbra::testing::Response& r) { r.body = *page; });
        }
        archive += "</ul><div id=post-action class=x></div></html>";
        pages.Handle("GET", "/archives.html", [archive](const qimbra::testing::Request&, qimbra::testing::Response& r) {
            r.header_lines = {"Set-Cookie: sid=bench; path=/"};
            r.body = archive;
        });
        images.HandleOthers([image](const qimbra::testing::Request&, qimbra::testing::Response& r) {
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

// Per run: requests, milliseconds per request, connections each server
// accepted.
void SetCounters(benchmark::State& state, double seconds_per_run, int page_connections, int image_connections) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["requests"] = kRequestsPerRun;
    state.counters["ms_per_request"] = seconds_per_run * 1000.0 / kRequestsPerRun;
    state.counters["page_conns"] = page_connections / runs;
    state.counters["image_conns"] = image_connections / runs;
}

void BM_CollectRun(benchmark::State& state) {
    Gallery& gallery = TheGallery();
    const qimbra::RunSettings settings{.page_host = qimbra::Cp936(gallery.PageHost()),
                                       .image_host = qimbra::Cp936(gallery.ImageHost()),
                                       .pause_ms = 0};
    const int pages_before = gallery.pages.ConnectionCount();
    const int images_before = gallery.images.ConnectionCount();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<qimbra::testing::TempDir>();
        BenchHost host(qimbra::Cp936(folder->path()));
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        // As in the program, every run has a thread (and connections) of its
        // own.
        std::thread worker([&] { qimbra::RunCollection(settings, host); });
        worker.join();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
    run_seconds = total / static_cast<double>(state.iterations());
    SetCounters(state, run_seconds, gallery.pages.ConnectionCount() - pages_before,
                gallery.images.ConnectionCount() - images_before);
    gallery.pages.ClearRequests();
    gallery.images.ClearRequests();
}

void BM_CurlBaseline(benchmark::State& state) {
    Gallery& gallery = TheGallery();
    const int pages_before = gallery.pages.ConnectionCount();
    const int images_before = gallery.images.ConnectionCount();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<qimbra::testing::TempDir>();
        const std::string config = folder->Child("curl.config");
        {
            std::ofstream out(config);
            int n = 0;
            for (const std::string& url : gallery.urls) {
                out << "url = \"" << url << "\"\noutput = \"" << folder->Child(std::to_string(++n)) << "\"\n";
            }
        }
        const std::string command = "curl -k -s -S --parallel-max 1 -K '" + config + "'";
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
    curl_seconds = total / static_cast<double>(state.iterations());
    SetCounters(state, curl_seconds, gallery.pages.ConnectionCount() - pages_before,
                gallery.images.ConnectionCount() - images_before);
    gallery.pages.ClearRequests();
    gallery.images.ClearRequests();
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
