#include "testing/gallery/gallery_fixture.h"

#include <algorithm>
#include <memory>

#include "values/literal.h"

namespace qimbra::testing {

FixtureGallery::FixtureGallery() = default;

RunSettings FixtureGallery::Settings(int pause_ms) const {
    return RunSettings{.page_host = Cp936(PageHost()), .image_host = Cp936(ImageHost()), .pause_ms = pause_ms};
}

std::string FixtureGallery::PageHost() const { return "127.0.0.1:" + std::to_string(pages_.port()); }

std::string FixtureGallery::ImageHost() const { return "localhost:" + std::to_string(images_.port()); }

void FixtureGallery::SetArchive(const std::vector<FixtureEntry>& entries, std::vector<std::string> header_lines) {
    std::string body = "<html><body><h1>归档</h1><a class=toggle href=#>全部展开/收缩</a>\n<ul>\n";
    for (const FixtureEntry& entry : entries) {
        body += "<li><a href=" + entry.link + ">" + entry.title + "</a></li>\n";
    }
    body += "</ul>\n<div id=post-action class=actions></div></body></html>\n";
    SetArchiveBody(std::move(body), std::move(header_lines));
}

void FixtureGallery::SetArchiveBody(std::string body, std::vector<std::string> header_lines) {
    Serve(pages_, "page", "/archives.html", 200, std::move(body), std::move(header_lines));
}

void FixtureGallery::SetEntry(const std::string& link, const std::vector<std::string>& names,
                              std::vector<std::string> header_lines) {
    std::string body = "<html><body>\n";
    for (const std::string& name : names) body += "<p><img src=\"" + ImageUrl(name) + "\" alt=图片></p>\n";
    body += "</body></html>\n";
    SetEntryBody(link, std::move(body), std::move(header_lines));
}

void FixtureGallery::SetEntryBody(const std::string& link, std::string body, std::vector<std::string> header_lines) {
    Serve(pages_, "page", "/" + link, 200, std::move(body), std::move(header_lines));
}

void FixtureGallery::SetImage(const std::string& name, std::string body, int status) {
    Serve(images_, "image", ImagePath(name), status, std::move(body), {"Content-Type: image/jpeg"});
}

void FixtureGallery::SetArchiveResponse(testing::Response response) {
    Serve(pages_, "page", "/archives.html", std::move(response));
}

void FixtureGallery::SetEntryResponse(const std::string& link, testing::Response response) {
    Serve(pages_, "page", "/" + link, std::move(response));
}

void FixtureGallery::SetImageResponse(const std::string& name, testing::Response response) {
    Serve(images_, "image", ImagePath(name), std::move(response));
}

std::string FixtureGallery::ImageUrl(const std::string& name) const {
    return "https://" + ImageHost() + ImagePath(name);
}

std::string FixtureGallery::ImagePath(const std::string& name) { return "/image/" + name + ".jpeg"; }

std::vector<Arrival> FixtureGallery::Arrivals() const {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

void FixtureGallery::Serve(testing::HttpsServer& server, const char* host, const std::string& path, int status,
                           std::string body, std::vector<std::string> header_lines) {
    auto content = std::make_shared<const std::string>(std::move(body));
    auto lines = std::make_shared<const std::vector<std::string>>(std::move(header_lines));
    server.Handle("GET", path,
                  [this, host, status, content, lines](const testing::Request& request, testing::Response& response) {
                      {
                          std::lock_guard lock(mutex_);
                          arrivals_.push_back({host, request.path, std::chrono::steady_clock::now()});
                      }
                      response.status = status;
                      response.body = *content;
                      response.header_lines = *lines;
                  });
}

std::string Jpeg(const std::string& tail) { return "\xFF\xD8\xFF" + tail; }

void FixtureGallery::Serve(testing::HttpsServer& server, const char* host, const std::string& path,
                           testing::Response response) {
    auto shaped = std::make_shared<const testing::Response>(std::move(response));
    server.Handle("GET", path, [this, host, shaped](const testing::Request& request, testing::Response& answer) {
        {
            std::lock_guard lock(mutex_);
            arrivals_.push_back({host, request.path, std::chrono::steady_clock::now()});
        }
        answer = *shaped;
    });
}

std::vector<std::string> FolderNames(const std::filesystem::path& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(path, error)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> TreeOf(const std::filesystem::path& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::recursive_directory_iterator(path, error)) {
        names.push_back(std::filesystem::relative(item.path(), path).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace qimbra::testing
