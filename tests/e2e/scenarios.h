// Scenarios of the end-to-end driver that live outside driver.cpp. Each one
// starts Dovrane.exe (path in exe) itself, prints its PASS/FAIL lines and
// leaves no copy of the program running.
#pragma once

#include <string>

namespace e2e {

// scenarios_timing.cpp
void scenario_clock(const std::string& exe);          // clock field vs. local time
void scenario_countdown(const std::string& exe);      // remaining fields fall once a second
void scenario_fold(const std::string& exe);           // shutdown hour/minute folded by the ticks
void scenario_close_countdown(const std::string& exe);  // 关闭 before the delay elapses
// Schedules a 3 s delay and waits to be ended with the whole Wine session;
// the runner judges it from the relay trace.
void scenario_power_off(const std::string& exe);

// scenarios_input.cpp
void scenario_bad_input(const std::string& exe);  // odd delay texts through the window
void scenario_copies(const std::string& exe);     // ten at once, then 100 in a row

// scenarios_look.cpp
void scenario_pixels(const std::string& exe);  // restyled buttons, edit frames, labels, link
void scenario_keys(const std::string& exe);    // Tab, Shift+Tab, Esc
void scenario_link(const std::string& exe);    // a mouse press on the link
void scenario_stress(const std::string& exe);  // thousands of hover/press repaints
// Schedules 0/1/30 and keeps the window up until stop_file exists.
void scenario_show_countdown(const std::string& exe, const std::string& stop_file);

// exe_resources.cpp
void scenario_resources(const std::string& exe);  // version record and icon of the file

}  // namespace e2e
