// Cost of measuring the quick-entry draft, which runs up to ten times a second
// while the user types or pastes.
#include "Models/DraftTextMetrics.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace holdra;

namespace {

void measure(benchmark::State &state, const QString &text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DraftTextMetrics::lineCount(text, 324));
    state.SetLabel(std::to_string(text.size()) + " code units");
}

void BM_OneLine(benchmark::State &state)
{
    measure(state, QStringLiteral("Buy milk on the way home"));
}

void BM_WrappedParagraph(benchmark::State &state)
{
    measure(state, QStringLiteral("The quick brown fox jumps over the lazy dog. ").repeated(12));
}

void BM_LargePaste(benchmark::State &state)
{
    measure(state, QStringLiteral("一段很长的粘贴文字，").repeated(100'000));
}

} // namespace

BENCHMARK(BM_OneLine);
BENCHMARK(BM_WrappedParagraph);
BENCHMARK(BM_LargePaste);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts need it
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
