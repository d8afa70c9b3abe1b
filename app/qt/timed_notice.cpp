#include "app/qt/timed_notice.h"

#include "app/qt/find_process_window.h"
#include "app/qt/notice_box.h"
#include "platform/encoding.h"
#include "values/literal.h"

namespace qimbra {

namespace {

constexpr int32_t kDefaultTimeoutMs = 5000;
constexpr int32_t kOwnerSearchLimitMs = 1000;

}  // namespace

int32_t TimedNotice(const std::optional<Text>& message, std::optional<uint32_t> style, const std::optional<Text>& title,
                    std::optional<QWidget*> owner, std::optional<int32_t> timeout_ms) {
    static const Text kDefaultTitle = Cp936("友情提醒");
    NoticeBoxRequest request;
    request.message = platform::Cp936ToUtf16(message.value_or(Text()).view());
    request.title = platform::Cp936ToUtf16(title.value_or(kDefaultTitle).view());
    request.style = style.value_or(0);
    request.timeout_ms = timeout_ms.value_or(kDefaultTimeoutMs);
    // Windows are looked at on the window thread only, where they live.
    if (owner) {
        request.find_owner = [window = *owner] { return window; };
    } else {
        request.find_owner = [] { return FindNoticeOwner(kOwnerSearchLimitMs); };
    }
    return ShowNoticeBox(request) - 1;
}

}  // namespace qimbra
