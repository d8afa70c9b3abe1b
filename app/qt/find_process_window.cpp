#include "app/qt/find_process_window.h"

#include <QApplication>
#include <QDialog>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <string_view>

#include "app/qt/qt_text.h"
#include "values/conversions.h"
#include "values/text_ops.h"

namespace qimbra {

namespace {

constexpr int64_t kNoTimeLimitMs = 31536000;
constexpr size_t kClassNameLimit = 49;

// The top-level window after `current` (nullptr: the first one); nullptr
// after the last, or when `current` is gone.
QWidget* NextTopLevelWindow(QWidget* current) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (current == nullptr) {
        return windows.isEmpty() ? nullptr : windows.first();
    }
    const qsizetype at = windows.indexOf(current);
    return at >= 0 && at + 1 < windows.size() ? windows.at(at + 1) : nullptr;
}

// The search of FindProcessWindow; windows for which `passed_over` holds are
// treated as hidden ones.
template <class PassedOver>
QWidget* Search(int64_t process_id, const std::optional<Text>& title_part, const std::optional<Text>& class_part,
                std::optional<int32_t> time_limit_ms, std::optional<bool> visible_only, PassedOver passed_over) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    const bool visible = visible_only.value_or(true);
    const int64_t limit = time_limit_ms && *time_limit_ms != -1 ? *time_limit_ms : kNoTimeLimitMs;
    const int32_t start = UptimeMs();
    // Events processed during the search may delete the window we stand on.
    QPointer<QWidget> current;
    for (;;) {
        // Unsigned difference: right across the counter's wrap.
        const auto elapsed = static_cast<uint32_t>(UptimeMs()) - static_cast<uint32_t>(start);
        if (static_cast<int64_t>(elapsed) >= limit) {
            return nullptr;
        }
        current = NextTopLevelWindow(current.data());
        if (current.isNull()) {
            PumpEvents();
            continue;
        }
        if ((visible && !current->isVisible()) || passed_over(current.data())) {
            continue;
        }
        if (WindowProcessId(current) != process_id) {
            PumpEvents();
            continue;
        }
        if (!title_part && !class_part) {
            return current;
        }
        if (title_part && FindText(WindowTitle(current), *title_part) == -1) {
            return nullptr;
        }
        if (class_part && FindText(WindowClassName(current), *class_part) == -1) {
            return nullptr;
        }
        return current;
    }
}

}  // namespace

int64_t CurrentProcessId() { return QCoreApplication::applicationPid(); }

QWidget* FindProcessWindow(int64_t process_id, const std::optional<Text>& title_part,
                           const std::optional<Text>& class_part, std::optional<int32_t> time_limit_ms,
                           std::optional<bool> visible_only) {
    return Search(process_id, title_part, class_part, time_limit_ms, visible_only,
                  [](const QWidget*) { return false; });
}

QWidget* FindNoticeOwner(int32_t time_limit_ms) {
    return Search(CurrentProcessId(), std::nullopt, std::nullopt, time_limit_ms, true,
                  [](const QWidget* window) { return qobject_cast<const QDialog*>(window) != nullptr; });
}

int64_t WindowProcessId(const QWidget* /*window*/) { return CurrentProcessId(); }

Text WindowTitle(const QWidget* window) { return window ? TextFromQString(window->windowTitle()) : Text(); }

Text WindowClassName(const QWidget* window) {
    if (window == nullptr) {
        return Text();
    }
    const std::string_view name = window->metaObject()->className();
    return Text(name.substr(0, kClassNameLimit));
}

}  // namespace qimbra
