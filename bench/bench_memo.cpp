// One module reply shown in the reply memo of the real window (offscreen):
// the timer tick that appends it, after 100 kB or 4 MB of earlier replies.
// The cost must not grow with what came before.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>

#include "app/Form1.h"

namespace {

// A typical direct-mode reply as the receive path keeps it (CR LF included).
const std::string kReply = "ST: IN 000000000000 OUT 00000000 T1 +21.5\r\n";

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_memo";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

class Window {
  public:
    Window() {
        App();
        kt::app::FormOptions options;
        options.workDir = dir_.path().toStdString();
        qputenv("KT4470_DATA_DIR", dir_.path().toUtf8());  // the session log goes there
        options.manualTimers = true;
        options.showMessage = [](const std::string&, const std::string&, kt::protocol::MsgIcon) {};
        form_ = std::make_unique<kt::app::TForm1>(options);
        form_->show();
        QApplication::processEvents();
    }
    // One reply through the engine's timer tick; with paint, also drawn as
    // the event loop draws it before the next tick.
    void ShowReply(const std::string& reply, bool paint) {
        auto& engine = form_->Engine();
        engine.LastReply = reply;
        engine.ReplyToShow = true;
        form_->Tick();
        if (paint) QApplication::processEvents();
    }
    std::size_t MemoBytes() const { return form_->MemoSMSinput->Text().size(); }
    int MemoLines() const { return form_->MemoSMSinput->LineCount(); }

  private:
    QTemporaryDir dir_;
    std::unique_ptr<kt::app::TForm1> form_;
};

// The window with `earlier` bytes of replies shown before, made once per size.
Window& Prefilled(std::size_t earlier) {
    static std::map<std::size_t, std::unique_ptr<Window>> windows;
    auto& window = windows[earlier];
    if (!window) {
        window = std::make_unique<Window>();
        for (std::size_t shown = 0; shown < earlier; shown += kReply.size())
            window->ShowReply(kReply, false);
        window->ShowReply(kReply, true);
    }
    return *window;
}

void Run(benchmark::State& state, bool paint) {
    const auto earlier = static_cast<std::size_t>(state.range(0));
    Window& window = Prefilled(earlier);
    for (auto _ : state)
        window.ShowReply(kReply, paint);
    state.counters["earlier_kB"] = static_cast<double>(earlier) / 1000.0;
    state.counters["memo_kB"] = static_cast<double>(window.MemoBytes()) / 1000.0;
    state.counters["memo_lines"] = window.MemoLines();
}

// The tick alone: engine, memo lines and editor.
void BM_ReplyAppendedToMemo(benchmark::State& state) {
    Run(state, false);
}
// The tick and the repaint that follows it (on the offscreen platform, whose
// flush copies the whole window image).
void BM_ReplyAppendedAndPainted(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_ReplyAppendedToMemo)->Arg(100'000)->Arg(4'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplyAppendedAndPainted)->Arg(100'000)->Arg(4'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
