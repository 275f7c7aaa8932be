// How long the UI layer takes for what a user waits on: building a window from its layout
// (the main window is built at start-up), and the name lookups every notification handler does.
#include "ui/ContainerUI.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManagerUI.h"

#include "QtBenchApp.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velnor7::ui;

void BM_BuildDemoWindowLayout(benchmark::State& state) {
    velnor7::bench::EnsureQtApplication();
    for (auto _ : state) {
        CPaintManagerUI manager;
        CDialogBuilder builder;
        CControlUI* root = builder.Create("demo/demo.xml", nullptr, &manager);
        manager.AttachDialog(root);
        benchmark::DoNotOptimize(root);
        manager.AttachDialog(nullptr);
        delete root;
    }
}
BENCHMARK(BM_BuildDemoWindowLayout)->Unit(benchmark::kMillisecond);

// A window of the size of a keyboard page: 126 key buttons among other controls.
void BM_FindControlAmongManyKeys(benchmark::State& state) {
    velnor7::bench::EnsureQtApplication();
    QString xml = "<VerticalLayout>";
    for (int i = 0; i < 126; ++i) xml += QString("<Button name=\"key_%1\"/>").arg(i);
    xml += "</VerticalLayout>";
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.CreateFromString(xml, nullptr, &manager);
    manager.AttachDialog(root);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager.FindControl(QStringLiteral("key_%1").arg(i++ % 126)));
    }
    manager.AttachDialog(nullptr);
    delete root;
}
BENCHMARK(BM_FindControlAmongManyKeys);

}  // namespace
