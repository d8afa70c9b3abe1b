// A gallery on loopback for whole runs: a page server standing for page_host
// (127.0.0.1:<port>) and an image server standing for image_host
// (localhost:<port>), both HTTPS, that record when each request arrived.
#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "collect/run_settings.h"
#include "testing/https_server.h"

namespace qimbra::testing {

struct FixtureEntry {
    std::string link;   // as the archive lists it: "p/1.html"
    std::string title;  // UTF-8
};

// When a request reached the gallery.
struct Arrival {
    std::string host;  // "page" or "image"
    std::string path;
    std::chrono::steady_clock::time_point time;
};

class FixtureGallery {
  public:
    FixtureGallery();

    // The two hosts and the given pause.
    [[nodiscard]] RunSettings Settings(int pause_ms = 0) const;
    [[nodiscard]] std::string PageHost() const;
    [[nodiscard]] std::string ImageHost() const;

    // The archive page listing `entries` between the two markers.
    void SetArchive(const std::vector<FixtureEntry>& entries, std::vector<std::string> header_lines = {});
    // The archive page exactly as given (UTF-8).
    void SetArchiveBody(std::string body, std::vector<std::string> header_lines = {});
    // The page of `link` showing the images `names` (see ImageUrl), in order.
    void SetEntry(const std::string& link, const std::vector<std::string>& names,
                  std::vector<std::string> header_lines = {});
    // The page of `link` exactly as given.
    void SetEntryBody(const std::string& link, std::string body, std::vector<std::string> header_lines = {});
    // The image `name` answers with `status` and `body`.
    void SetImage(const std::string& name, std::string body, int status = 200);

    // The archive page, the page of `link` or the image `name` answers with
    // `response` as it stands (status, header lines, body, resets, pauses).
    void SetArchiveResponse(testing::Response response);
    void SetEntryResponse(const std::string& link, testing::Response response);
    void SetImageResponse(const std::string& name, testing::Response response);

    // "https://localhost:<port>/image/" + name + ".jpeg"
    [[nodiscard]] std::string ImageUrl(const std::string& name) const;
    // "/image/" + name + ".jpeg"
    [[nodiscard]] static std::string ImagePath(const std::string& name);

    [[nodiscard]] testing::HttpsServer& pages() { return pages_; }
    [[nodiscard]] testing::HttpsServer& images() { return images_; }
    // Every request that reached either server, in order of arrival.
    [[nodiscard]] std::vector<Arrival> Arrivals() const;

  private:
    void Serve(testing::HttpsServer& server, const char* host, const std::string& path, int status, std::string body,
               std::vector<std::string> header_lines);
    void Serve(testing::HttpsServer& server, const char* host, const std::string& path, testing::Response response);

    testing::HttpsServer pages_;
    testing::HttpsServer images_;
    mutable std::mutex mutex_;
    std::vector<Arrival> arrivals_;
};

// `tail` behind the bytes that start every JPEG file: a body that counts as
// a picture.
[[nodiscard]] std::string Jpeg(const std::string& tail);

// The names in the folder `path`, sorted; empty when it is no folder.
[[nodiscard]] std::vector<std::string> FolderNames(const std::filesystem::path& path);
// The paths of everything under `path`, relative to it, sorted.
[[nodiscard]] std::vector<std::string> TreeOf(const std::filesystem::path& path);

}  // namespace qimbra::testing
