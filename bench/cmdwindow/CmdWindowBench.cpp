// The command window's output path: a child writes 100,000 lines ("seq 100000") through
// the pseudo-terminal into the screen model. Prints the time until the next prompt and
// the rows held (the scroll-back stays bounded). Run by hand.
#include "console/CommandSession.h"

#include <QDir>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace console;

int main()
{
    CommandSession::Options o;
    o.environment = Environment::fromProcess();
    o.currentDirectory = QDir::currentPath().toStdU16String();
    o.comspec = u"" VELMO_BINARY_DIR "/bin/velmocmd";
    o.columns = 120;
    o.rows = 40;
    CommandSession s(std::move(o));
    if (!s.start()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    auto waitPrompt = [&s] {
        while (!s.editor().active()) {
            if (!s.drain())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    waitPrompt();
    for (int run = 0; run < 3; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        for (char16_t c : std::u16string(u"seq 100000")) {
            KeyPress k;
            k.ch = c;
            s.key(k);
        }
        KeyPress enter;
        enter.code = KeyPress::Enter;
        s.key(enter);
        waitPrompt();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("seq 100000: %.0f ms to the next prompt, %d rows held, %lld dropped\n", ms, s.model().rowCount(),
                    static_cast<long long>(s.model().dropped()));
    }
    return 0;
}
