// Small helpers for driving the real widgets in tests.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <future>
#include <vector>

namespace qimbra::test {

// Visible message boxes titled `title`.
inline std::vector<QMessageBox*> VisibleBoxes(const QString& title) {
    std::vector<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box != nullptr && box->isVisible() && box->windowTitle() == title) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

// Processes the window thread's events until `done` holds or `timeout_ms`
// has passed; true when it held.
template <class Condition>
bool PumpUntil(Condition done, int timeout_ms = 5000) {
    return QTest::qWaitFor(done, timeout_ms);
}

template <class T>
bool IsReady(const std::future<T>& future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

}  // namespace qimbra::test
