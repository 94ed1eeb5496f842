// The main() of the benchmarks that need widgets: a QApplication, on the offscreen
// platform unless another is asked for, around Google Benchmark's own run.
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
