// The program in the page's worker: the console's dialogue on streams that talk to the page.

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <string>

#include "app/CommandLine.hpp"
#include "app/Dialogue.hpp"
#include "app/TraceRecorder.hpp"
#include "glibc/GlibcExp.hpp"
#include "glibc/GlibcRandom.hpp"
#include "linalg/Vector.hpp"
#include "transcript/Contract.hpp"
#include "transcript/ExitStatus.hpp"
#include "web/PageFrame.hpp"
#include "web/PageInput.hpp"
#include "web/PageOutput.hpp"
#include "web/PagePicture.hpp"
#include "web/PageSeam.hpp"
#include "web/PageSession.hpp"

namespace {

PageFrame frame;
PageOutput standardOutput(frame, PageSeam::standardOutput);
PageOutput standardError(frame, PageSeam::standardError);
PageOutput traceOutput(frame, PageSeam::trace);
PageInput standardInput(frame);

// What shapes a run on the page: whether it is drawn, where it is held, what traces it, and
// the seed the generator is given, if any.
struct Shape {
    bool drawn = true;
    std::optional<std::uint32_t> seed = {};
    PageSession* session = nullptr;
    TraceRecorder* trace = nullptr;
};

// One run as the console makes it without arguments, on the page's streams; the last frame
// of its text is sent before the status is returned, and its whole picture, if drawn, is left
// for neuronet_draw.
int runOnPage(std::istream& in, std::int32_t stepLimit, const Shape& shape) {
    std::ostream out(&standardOutput);
    std::ostream err(&standardError);
    frame.beginRun(shape.drawn);
    const int status = runProgram(CommandLine(std::span<const char* const>()), in, out, err,
                                  {.stepLimit = stepLimit,
                                   .seed = shape.seed,
                                   .targetRead =
                                       [&shape](const Vector& target) {
                                           frame.targetRead(target);
                                           if (shape.session) {
                                               shape.session->targetRead(target);
                                           }
                                       },
                                   .built =
                                       [&shape](NeuroNet& net) {
                                           if (shape.session) {
                                               shape.session->watch(net);
                                           }
                                       },
                                   .trace = shape.trace});
    frame.send(false);
    return status;
}

}  // namespace

// The C library's own exp, replaced in the page by the one the console program takes on Linux,
// so that every activation and derivative is the same double.
extern "C" double exp(double x) {
    return GlibcExp::of(x);
}

// The dialogue, answered through the page. The generator is the one the module started
// with, so a fresh module builds the network a fresh console run builds. The run is held at
// step `holdAt` (0: nowhere) and then where the page asks, and for good at step `end` (0: at
// none), where it was stopped; it hands over checkpoints after step `checkpointsAfter`. It is
// drawn as it goes when `drawn`, and traced when given the steps to trace (a list as
// --trace-steps takes it). A `seed` from 0 to 2^32 - 1 seeds the generator first, as neuronet
// --seed does; any other leaves it as it is.
extern "C" EMSCRIPTEN_KEEPALIVE int neuronet_run(std::int32_t holdAt, std::int32_t end,
                                                 std::int32_t checkpointsAfter, int drawn,
                                                 const char* traceSteps, double seed) {
    std::istream in(&standardInput);
    PageSession session(frame, {.first = holdAt, .end = end, .checkpointsAfter = checkpointsAfter});
    std::ostream trace(&traceOutput);
    trace.exceptions(std::ios::badbit);
    const auto steps = traceSteps ? TraceSteps::parse(traceSteps) : std::nullopt;
    std::optional<TraceRecorder> recorder;
    if (traceSteps) {
        recorder.emplace(trace, steps.value_or(TraceSteps()));
    }
    return runOnPage(
        in, Contract::stepLimit,
        {.drawn = drawn != 0,
         .seed = seed >= 0 && seed <= 0xFFFF'FFFF ? std::optional(static_cast<std::uint32_t>(seed))
                                                  : std::nullopt,
         .session = &session,
         .trace = recorder ? &*recorder : nullptr});
}

// What an exit status of the program means, in the words of its manual; empty for another.
extern "C" EMSCRIPTEN_KEEPALIVE const char* neuronet_status_words(int status) {
    return ExitStatus::words(status).data();  // each is a whole string literal
}

// The codes the worker and the program pass each other, and the prompts the program waits
// at, for the page to tell what it asks for: a JSON object (PageSeam).
extern "C" EMSCRIPTEN_KEEPALIVE const char* neuronet_seam() {
    static const std::string seam = PageSeam::described();
    return seam.c_str();
}

// Sends the run's last picture, once the page has its status: the page learns how the run
// ended without waiting for the drawing. Sent again, it is drawn again.
extern "C" EMSCRIPTEN_KEEPALIVE void neuronet_draw() {
    frame.send();
}

// Training's pace: at most this many steps a second, each shown; 0 for as fast as it can.
extern "C" EMSCRIPTEN_KEEPALIVE void neuronet_pace(double stepsPerSecond) {
    PageSession::setPace(stepsPerSecond);
}

// Pictures for a projector, their text at least this large; with 0, as neuronet-plot draws them.
extern "C" EMSCRIPTEN_KEEPALIVE void neuronet_least_text_size(double size) {
    frame.setLeastTextSize(size);
}

// Trains and draws once, on a run of its own whose text and picture are thrown away, while
// the page waits for the first answer, so that the engine has compiled the training's and the
// drawing's code at its best before the person's run trains. The generator is left as it was.
extern "C" EMSCRIPTEN_KEEPALIVE void neuronet_warm_up() {
    const GlibcRandom kept = GlibcRandom::shared();
    std::istringstream in("0.1 0.1 0.1 -0.147 -0.147 -0.147");
    std::ostringstream out;
    std::ostringstream err;
    runProgram(CommandLine(std::span<const char* const>()), in, out, err);
    GlibcRandom::shared() = kept;
    PagePicture picture;
    picture.take(out.str());
    picture.draw();
}

// For the tests: one whole dialogue on the given standard input, after std::srand(seed),
// with a step limit (0 for the program's own), without waiting for the page, and its last
// picture.
extern "C" EMSCRIPTEN_KEEPALIVE int neuronet_replay(unsigned seed, std::int32_t stepLimit,
                                                    const char* input, int length) {
    std::srand(seed);
    std::istringstream in(std::string(input, static_cast<std::size_t>(length)));
    const int status = runOnPage(in, stepLimit > 0 ? stepLimit : Contract::stepLimit, {});
    frame.send();
    return status;
}
