// Runs one timer handler many times on the in-memory desktop, for counting
// its instructions under valgrind's callgrind:
//
//   tick_cost countdown <n>   n countdown ticks of a scheduled delay of 1:59:59
//   tick_cost clock <n>       n clock ticks, one virtual second apart
//   tick_cost convert <n>     n text_to_int + number_to_text pairs (baseline)
//
// Collect only inside the measured function and divide the total by n:
//
//   valgrind --tool=callgrind --toggle-collect='dv::countdown_tick*' tick_cost countdown 1000
//
// The work between two calls (moving the virtual clock, clearing the
// desktop's record of calls) stays outside the measured function.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/countdown.h"
#include "core/text_rules.h"
#include "platform/headless/headless_desktop.h"
#include "ui/app.h"
#include "ui/clock.h"

namespace {

// One read-modify-write of a field value as the handlers do it: the text of
// a remaining field one second lower.
__attribute__((noinline)) std::string bench_convert_pair(std::string_view text) {
  return dv::number_to_text(static_cast<double>(dv::text_to_int(text)) - 1);
}

int fail(const char* what) {
  std::fprintf(stderr, "tick_cost: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const long n = argc > 2 ? std::atol(argv[2]) : 0;
  if (argc != 3 || n <= 0 || (mode != "countdown" && mode != "clock" && mode != "convert")) {
    std::fprintf(stderr, "usage: tick_cost countdown|clock|convert <n>\n");
    return 2;
  }

  if (mode == "convert") {
    std::size_t sink = 0;
    std::string text = "7199";
    for (long i = 0; i < n; ++i) {
      text = bench_convert_pair(text);
      sink += text.size();
    }
    std::printf("convert %ld pairs, last text %s (%zu bytes written)\n", n, text.c_str(), sink);
    return 0;
  }

  dv::HeadlessDesktop desktop;
  dv::Program program(desktop);
  desktop.set_local_time(dv::LocalTime{2024, 3, 7, 10, 50, 30});
  program.prepare();
  program.load();
  const char* const delay[][2] = {{"编辑框1", "1"}, {"编辑框2", "59"}, {"编辑框3", "59"}};
  for (const auto& d : delay) {
    if (!desktop.type(program.id_of(d[0]), d[1])) return fail("cannot type the delay");
  }
  if (!desktop.click(program.id_of("按钮1"))) return fail("cannot click the schedule button");
  desktop.process_pending();
  if (desktop.is_enabled(program.id_of("按钮1"))) return fail("the delay was not scheduled");

  dv::FieldStore& fields = program.fields();
  const int remaining_seconds = program.id_of("编辑框7");
  const int clock_field = program.id_of("编辑框4");
  for (long i = 0; i < n; ++i) {
    desktop.clear_calls();
    if (mode == "countdown") {
      dv::countdown_tick(fields);
    } else {
      desktop.stall(1000);
      dv::clock_tick(fields);
    }
  }
  // The clock text is GBK: its length says enough.
  std::printf("%s %ld ticks, remaining seconds \"%s\", clock text of %zu bytes\n", mode.c_str(), n,
              desktop.text(remaining_seconds).c_str(), desktop.text(clock_field).size());
  return 0;
}
