// Opening the failure list and drawing it once, for lists of 1,000 to 100,000
// failures, under Qt's offscreen platform: the table asks only for the rows
// it shows, so the time should hardly grow with the list.
#include "app/qt/failure_list.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <cstdio>
#include <string>
#include <vector>

#include "values/literal.h"

namespace {

std::vector<qimbra::RunFailure> Failures(int count) {
    std::vector<qimbra::RunFailure> failures;
    failures.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) {
        failures.push_back({.entry_title = qimbra::Cp936("第" + std::to_string(i / 20) + "组"),
                            .image_number = i % 20 + 1,
                            .address = qimbra::Text("https://img.example/image/" + std::to_string(i) + ".jpeg"),
                            .reason = qimbra::Cp936("超时")});
    }
    return failures;
}

void BM_OpenAndDrawFailureList(benchmark::State& state) {
    const std::vector<qimbra::RunFailure> failures = Failures(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QDialog* dialog = qimbra::ShowFailureList(nullptr, failures);
        benchmark::DoNotOptimize(dialog->grab());
        dialog->close();
        QApplication::processEvents();
    }
    state.SetLabel(std::to_string(state.range(0)) + " rows");
}
BENCHMARK(BM_OpenAndDrawFailureList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The offscreen platform says this for every dialog it shows.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints"))) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
