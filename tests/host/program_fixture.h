// A started program on the in-memory desktop, addressed by control names.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_desktop.h"
#include "tests/host/gbk_text.h"
#include "ui/app.h"

namespace dv::test {

class ProgramTest : public ::testing::Test {
 protected:
  // The window as it stands right after start, at 10:50:30 local time.
  ProgramTest() : program(desktop) {
    desktop.set_local_time(LocalTime{2024, 3, 7, 10, 50, 30});
    program.prepare();
    program.load();
  }

  int id(const char* name) const {
    const int i = program.id_of(name);
    EXPECT_GE(i, 0) << "no control " << to_utf8(name);
    return i;
  }
  Gbk text(const char* name) const { return Gbk(desktop.text(id(name))); }
  bool enabled(const char* name) const { return desktop.is_enabled(id(name)); }
  void type(const char* name, const std::string& t) { ASSERT_TRUE(desktop.type(id(name), t)); }
  void type_delay(const std::string& h, const std::string& m, const std::string& s) {
    type("编辑框1", h);
    type("编辑框2", m);
    type("编辑框3", s);
  }
  bool click(const char* name) { return desktop.click(id(name)); }
  // Remaining fields as "h / m / s".
  Gbk remaining() const {
    return Gbk(desktop.text(id("编辑框5")) + " / " + desktop.text(id("编辑框6")) + " / " +
               desktop.text(id("编辑框7")));
  }
  std::vector<Gbk> box_texts() const {
    std::vector<Gbk> out;
    for (const auto& b : desktop.boxes()) out.emplace_back(b.text);
    return out;
  }

  HeadlessDesktop desktop;
  Program program;
};

}  // namespace dv::test
