// Costs of the Qt adapter on the paths every page takes: a full paint of an 800x600 page
// whose core re-sets picture and faces from OnPaint, the picture hand-over alone, and
// posted-message delivery. Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <thread>

#include "platform/qt/QtSupport.h"
#include "platform/qt/QtToolkit.h"

namespace {

using namespace zavro;

class PaintingPage final : public IWindowEvents {
public:
    IWindow* window = nullptr;
    Image picture{800, 600, 0xFF336699u};
    Image face{70, 75, 0xFFCC3322u};
    unsigned delivered = 0;
    void OnControl(int, Notify) override {}
    void OnHotState(int, HotState) override {}
    void OnTimer(int) override {}
    void OnPosted(unsigned) override { ++delivered; }
    void OnPaint() override {
        window->SetGeometry({0, 0, 800, 600});
        window->SetBackground(picture);
        for (int id = 1003; id < 1015; ++id) window->SetFace(id, face);
    }
    CursorShape OnSetCursor(int) override { return CursorShape::Arrow; }
    bool OnKeyDown(Key) override { return false; }
};

struct Fixture {
    QtToolkit ui;
    PaintingPage events;
    std::unique_ptr<IWindow> page;
    Fixture() {
        page = ui.CreateWindow(events, {0, 0, 800, 600}, WindowStyle{false, "CZavroSuccess"});
        events.window = page.get();
        for (int id = 1003; id < 1015; ++id) {
            page->CreateControl(id, ControlKind::Hotspot, {(id - 1003) * 66, 22, 64, 75});
        }
    }
};

void BM_GrabFullPage(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) benchmark::DoNotOptimize(QtToolkit::Grab(*f.page));
}
BENCHMARK(BM_GrabFullPage)->Unit(benchmark::kMillisecond);

void BM_SetSamePicture(benchmark::State& state) {
    Fixture f;
    f.page->SetBackground(f.events.picture);
    for (auto _ : state) f.page->SetBackground(f.events.picture);
}
BENCHMARK(BM_SetSamePicture)->Unit(benchmark::kMicrosecond);

void BM_PictureConversion(benchmark::State& state) {
    const Image picture(800, 600, 0xFF336699u);
    for (auto _ : state) benchmark::DoNotOptimize(qtui::ToQImage(picture));
}
BENCHMARK(BM_PictureConversion)->Unit(benchmark::kMicrosecond);

void BM_PostFromWorkerAndDeliver(benchmark::State& state) {
    Fixture f;
    auto poster = f.page->Poster();
    const int batch = 1000;
    for (auto _ : state) {
        std::thread worker([&] {
            for (int i = 0; i < batch; ++i) poster->Post(0x48A);
        });
        worker.join();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_PostFromWorkerAndDeliver)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
