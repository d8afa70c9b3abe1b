#include "collect/run_collection.h"

#include <utility>

#include "collect/folder_names.h"
#include "collect/header_templates.h"
#include "collect/site_texts.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "textkit/textkit.h"
#include "values/values.h"
#include "web/web.h"

namespace qimbra {

namespace {

bool IsSuccess(int32_t status_code) { return status_code >= 200 && status_code <= 299; }

// A failed response never replaces an image saved earlier; where there is no
// file yet, its body (often empty) is written all the same.
bool SaveImage(const Text& file_path, const Bytes& image_data, int32_t status_code) {
    if (!IsSuccess(status_code) && platform::PathExists(platform::NativePath(file_path.view()))) return false;
    return WriteFile(file_path, image_data);
}

Text FetchPage(const Text& url, Text& cookies, const Text& headers) {
    return Utf8BodyToGbk(WebRequest(url, {.method = 0, .cookies = &cookies, .headers = headers}));
}

}  // namespace

void RunCollection(const RunSettings& settings, RunHost& host) {
    PatternMatcher matcher;
    TextArray image_urls;
    Text page;
    Text cookies;
    Text entry_folder;
    Bytes image_data;
    RunProgress progress;

    // The box is read once, so the check below and the stored directory see
    // the same text.
    const Text box_text = host.ReadSaveFolderBox();
    host.StoreSaveDirectory(box_text);
    if (box_text.empty()) {
        host.ShowNotice(NoFolderNotice());
        host.ShowNotice(DoneNotice());
        return;
    }

    page = FetchPage(ArchiveAddress(settings), cookies, ArchiveHeaderTemplate(settings));
    page = TextBetween(page, EntryListStartMarker(), EntryListEndMarker());
    matcher.Create(EntryPattern(), page);
    const int32_t entry_count = matcher.MatchCount();
    progress.entry_count = entry_count;
    host.ReportProgress(progress);

    const Text entry_headers = EntryHeaderTemplate(settings);
    const Text image_template = ImageHeaderTemplate(settings);
    const Text image_address_start = ImageAddressStart(settings);
    for (int32_t entry_index = 1; entry_index <= entry_count; ++entry_index) {
        Pause(settings.pause_ms);
        const Text entry_link = matcher.SubMatchText(entry_index, 1);
        page = FetchPage(EntryAddress(settings, entry_link), cookies, entry_headers);
        TextBetweenAll(page, image_address_start, ImageExtension(), image_urls, std::nullopt, std::nullopt,
                       std::nullopt, std::nullopt, true, true);

        const Text entry_title = matcher.SubMatchText(entry_index, 2);
        const Text save_directory = host.ReadSaveDirectory();
        entry_folder = JoinPath(save_directory, FolderNameOfTitle(entry_title));
        // An empty save directory (a folder choice cancelled during the run)
        // would put the entry at the root of the file system; the entry is
        // then fetched and paced as usual but nothing of it is written.
        const bool has_folder = !save_directory.empty();
        if (has_folder) EnsureDirectory(entry_folder);

        const int32_t image_count = ArraySize(image_urls);
        progress.entry_index = entry_index;
        progress.image_index = 0;
        progress.image_count = image_count;
        host.ReportProgress(progress);
        // Every image of the entry names the entry page as its Referer.
        const Text image_headers =
            ReplaceMany(image_template, std::nullopt, std::nullopt, std::nullopt, RefererPlaceholder(), entry_link);
        for (int32_t image_index = 1; image_index <= image_count; ++image_index) {
            int32_t status_code = 0;
            image_data =
                WebRequest(image_urls[image_index],
                           {.method = 0, .cookies = &cookies, .headers = image_headers, .status_code = &status_code});
            const Text file_path = JoinPath(entry_folder, ConcatText(ToText(image_index), ImageExtension()));
            const bool saved = has_folder && SaveImage(file_path, image_data, status_code);

            progress.image_index = image_index;
            if (saved) ++progress.images_saved;
            if (!IsSuccess(status_code)) ++progress.images_failed;
            host.ReportProgress(progress);

            Pause(settings.pause_ms);
            PumpEvents();
        }
    }

    progress.finished = true;
    host.ReportProgress(progress);
    host.ShowNotice(DoneNotice());
}

void OnStartClicked(const RunSettings& settings, std::shared_ptr<RunHost> host) {
    platform::StartDetachedThread([settings, host = std::move(host)] { RunCollection(settings, *host); });
}

}  // namespace qimbra
