#include "collect/run_collection.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "collect/failure_reasons.h"
#include "collect/folder_names.h"
#include "collect/header_templates.h"
#include "collect/picture_test.h"
#include "collect/retry_after.h"
#include "collect/site_texts.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "textkit/textkit.h"
#include "values/values.h"
#include "web/web.h"

namespace qimbra {

namespace {

using Clock = std::chrono::steady_clock;

// Image addresses longer than this are no addresses but runaway matches.
constexpr int32_t kLongestImageAddress = 2048;

// What an exchange told besides its body.
struct ExchangeOutcome {
    int32_t status_code = 0;
    WebFailure failure = WebFailure::kNone;
    Text response_headers;
};

// What an exchange is sent with and where its outcome goes; `stop` abandons it.
WebRequestOptions RequestOptions(Text& cookies, const Text& headers, ExchangeOutcome& outcome,
                                 const std::atomic<bool>* stop) {
    return {.method = 0,
            .cookies = &cookies,
            .headers = headers,
            .response_headers = &outcome.response_headers,
            .status_code = &outcome.status_code,
            .failure = &outcome.failure,
            .cancel = stop};
}

Text FetchPage(const Text& url, Text& cookies, const Text& headers, ExchangeOutcome& outcome,
               const std::atomic<bool>* stop) {
    return Utf8BodyToGbk(WebRequest(url, RequestOptions(cookies, headers, outcome, stop)));
}

Bytes FetchImage(const Text& url, Text& cookies, const Text& headers, ExchangeOutcome& outcome,
                 const std::atomic<bool>* stop) {
    return WebRequest(url, RequestOptions(cookies, headers, outcome, stop));
}

// True when the page holds the entry list's start marker and, behind it, its
// end marker.
bool HasEntryList(const Text& page) {
    const int32_t start = FindText(page, EntryListStartMarker());
    return start > 0 && FindText(page, EntryListEndMarker(), start + EntryListStartMarker().size()) > 0;
}

// Why an image response cannot be saved; empty when it can.
Text ImageFailureReason(const ExchangeOutcome& outcome, const Bytes& body) {
    Text reason = ExchangeFailureReason(outcome.failure, outcome.status_code);
    if (!reason.empty()) return reason;
    if (body.view().empty()) return EmptyBodyReason();
    if (!IsPicture(body.view())) return NotPictureReason();
    return Text();
}

// The folders of `native_path` that do not exist yet, the deepest first.
std::vector<std::string> MissingFolders(std::string native_path) {
    std::vector<std::string> missing;
    while (!native_path.empty() && !platform::PathExists(native_path)) {
        missing.push_back(native_path);
        const size_t separator = native_path.find_last_of(platform::kPathSeparator);
        native_path.resize(separator == std::string::npos ? 0 : separator);
    }
    return missing;
}

// A name for the probe file that no gallery image has.
Text ProbeName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return Text(".qimbra-probe-" + std::to_string(generator()));
}

class Run {
  public:
    Run(const RunSettings& settings, RunHost& host)
        : settings_(settings),
          host_(host),
          stop_(host.StopFlag()),
          write_file_(settings.write_file ? settings.write_file : FileWriter(WriteFileReportingError)) {}

    void Go();

  private:
    [[nodiscard]] bool Stopped() const { return stop_ != nullptr && stop_->load(); }
    bool PauseBetweenRequests() { return PauseUnlessStopped(settings_.pause_ms, stop_); }
    void Report() { host_.ReportProgress(progress_); }
    // Ends a run that could not go through its entries with `notice`.
    void EndWithProblem(const Text& notice);
    // Removes the folders the save folder check made, when they stayed empty.
    void RemoveCreatedFolders();
    // 0 when a file can be created in the save folder, else why not.
    int CheckSaveFolder();

    // Runs `request` (which fills an ExchangeOutcome) and, when the server
    // answered 429 or 503 with a short enough Retry-After, waits that long and
    // runs it once more. The progress shows the wait and the request going.
    template <class Request>
    auto Exchange(ExchangeOutcome& outcome, Request request);

    void CollectEntry(int32_t entry_index);
    void CollectImage(const Text& entry_title, const Text& url, const Text& image_headers, const Text& entry_folder,
                      int folder_error, int32_t image_index);

    const RunSettings& settings_;
    RunHost& host_;
    const std::atomic<bool>* stop_;
    FileWriter write_file_;
    PatternMatcher matcher_;
    TextArray image_urls_;
    Text cookies_;
    Text save_directory_;
    EntryFolderNames folder_names_;
    RunProgress progress_;
    std::vector<std::string> created_folders_;  // native paths, the deepest first
};

void Run::EndWithProblem(const Text& notice) {
    progress_.request_started.reset();
    progress_.finished = true;
    progress_.problem = notice;
    Report();
    host_.ShowNotice(notice);
}

void Run::RemoveCreatedFolders() {
    for (const std::string& folder : created_folders_) {
        if (!platform::RemoveEmptyDirectory(folder)) break;
    }
}

int Run::CheckSaveFolder() {
    created_folders_ = MissingFolders(platform::NativePath(save_directory_.view()));
    if (const int error = EnsureDirectoryReportingError(save_directory_)) return error;
    const Text probe = JoinPath(save_directory_, ProbeName());
    if (const int error = write_file_(probe, Bytes("q"))) return error;
    platform::RemoveFile(platform::NativePath(probe.view()));
    return 0;
}

template <class Request>
auto Run::Exchange(ExchangeOutcome& outcome, Request request) {
    progress_.request_started = Clock::now();
    Report();
    auto result = request(outcome);
    const bool busy = outcome.status_code == 429 || outcome.status_code == 503;
    if (busy && !Stopped()) {
        const std::optional<int64_t> wait_s =
            RetryAfterSeconds(outcome.response_headers, std::chrono::system_clock::now());
        if (wait_s && *wait_s <= settings_.longest_retry_wait_s) {
            progress_.request_started.reset();
            progress_.retry_until = Clock::now() + std::chrono::seconds(*wait_s);
            Report();
            const bool waited = PauseUnlessStopped(static_cast<int32_t>(*wait_s * 1000), stop_);
            progress_.retry_until.reset();
            if (waited) {
                progress_.request_started = Clock::now();
                Report();
                outcome = ExchangeOutcome();
                result = request(outcome);
            }
        }
    }
    progress_.request_started.reset();
    return result;
}

void Run::Go() {
    // The folder is fixed now: later changes of the box or of the save
    // directory are for the next run.
    save_directory_ = host_.ReadSaveFolderBox();
    host_.StoreSaveDirectory(save_directory_);
    if (save_directory_.empty()) {
        host_.ShowNotice(NoFolderNotice());
        host_.ShowNotice(DoneNotice());
        return;
    }
    if (const int error = CheckSaveFolder()) return EndWithProblem(SaveFolderNotice(save_directory_, error));

    ExchangeOutcome outcome;
    Text page = Exchange(outcome, [&](ExchangeOutcome& result) {
        return FetchPage(ArchiveAddress(settings_), cookies_, ArchiveHeaderTemplate(settings_), result, stop_);
    });
    if (Stopped()) {
        progress_.finished = progress_.stopped = true;
        return Report();
    }
    // A run that never reaches the entries leaves no folder of its own.
    if (Text reason = ExchangeFailureReason(outcome.failure, outcome.status_code); !reason.empty()) {
        RemoveCreatedFolders();
        return EndWithProblem(ArchiveNotice(reason));
    }
    if (!HasEntryList(page)) {
        RemoveCreatedFolders();
        return EndWithProblem(ArchiveNotice(NoEntryListReason()));
    }
    page = TextBetween(page, EntryListStartMarker(), EntryListEndMarker());
    // The matcher takes the list over, so it is held once, as UTF-16.
    matcher_.Create(EntryPattern(), std::move(page));
    const int32_t entry_count = matcher_.MatchCount();
    progress_.entry_count = entry_count;
    Report();

    for (int32_t entry_index = 1; entry_index <= entry_count && !Stopped(); ++entry_index) {
        if (!PauseBetweenRequests()) break;
        CollectEntry(entry_index);
    }

    progress_.finished = true;
    progress_.stopped = Stopped();
    Report();
    if (!progress_.stopped) host_.ShowNotice(DoneNotice());
}

void Run::CollectEntry(int32_t entry_index) {
    const Text entry_link = matcher_.SubMatchText(entry_index, 1);
    const Text entry_title = matcher_.SubMatchText(entry_index, 2);
    progress_.entry_index = entry_index;
    progress_.entry_title = entry_title;
    progress_.image_index = 0;
    progress_.image_count = 0;

    const Text address = EntryAddress(settings_, entry_link);
    ExchangeOutcome outcome;
    const Text page = Exchange(outcome, [&](ExchangeOutcome& result) {
        return FetchPage(address, cookies_, EntryHeaderTemplate(settings_), result, stop_);
    });
    if (Stopped()) return;
    if (Text reason = ExchangeFailureReason(outcome.failure, outcome.status_code); !reason.empty()) {
        ++progress_.entries_failed;
        host_.ReportFailure({.entry_title = entry_title, .image_number = 0, .address = address, .reason = reason});
        return Report();
    }
    TextBetweenAll(page, ImageAddressStart(settings_), ImageExtension(), image_urls_, std::nullopt,
                   kLongestImageAddress, std::nullopt, std::nullopt, true, true);

    const Text entry_folder = JoinPath(save_directory_, folder_names_.NameFor(entry_link, entry_title));
    const int folder_error = EnsureDirectoryReportingError(entry_folder);

    const int32_t image_count = ArraySize(image_urls_);
    progress_.image_count = image_count;
    Report();
    // Every image of the entry names the entry page as its Referer.
    const Text image_headers = ReplaceMany(ImageHeaderTemplate(settings_), std::nullopt, std::nullopt, std::nullopt,
                                           RefererPlaceholder(), entry_link);
    for (int32_t image_index = 1; image_index <= image_count && !Stopped(); ++image_index) {
        CollectImage(entry_title, image_urls_[image_index], image_headers, entry_folder, folder_error, image_index);
    }
}

void Run::CollectImage(const Text& entry_title, const Text& url, const Text& image_headers, const Text& entry_folder,
                       int folder_error, int32_t image_index) {
    const Text file_path = JoinPath(entry_folder, ConcatText(ToText(image_index), ImageExtension()));
    progress_.image_index = image_index;
    if (settings_.skip_saved_images && FileHoldsPicture(file_path)) {
        ++progress_.images_existing;
        return Report();
    }

    ExchangeOutcome outcome;
    const Bytes image_data = Exchange(
        outcome, [&](ExchangeOutcome& result) { return FetchImage(url, cookies_, image_headers, result, stop_); });
    if (Stopped()) return;  // abandoned: nothing is written for it
    Text reason = ImageFailureReason(outcome, image_data);
    if (reason.empty() && folder_error != 0) reason = WriteFailureReason(folder_error);
    if (reason.empty()) {
        if (const int error = write_file_(file_path, image_data)) reason = WriteFailureReason(error);
    }
    if (reason.empty()) {
        ++progress_.images_saved;
    } else {
        ++progress_.images_failed;
        host_.ReportFailure(
            {.entry_title = entry_title, .image_number = image_index, .address = url, .reason = reason});
    }
    Report();

    PauseBetweenRequests();
    PumpEvents();
}

}  // namespace

void RunCollection(const RunSettings& settings, RunHost& host) { Run(settings, host).Go(); }

void OnStartClicked(const RunSettings& settings, std::shared_ptr<RunHost> host) {
    platform::StartDetachedThread([settings, host = std::move(host)] { RunCollection(settings, *host); });
}

}  // namespace qimbra
