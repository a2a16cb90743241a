#include "core/shutdown.h"

namespace dv {

bool power_off_request(Platform& p) {
  const bool nt = p.os_platform_id() == platform_win32_nt;
  if (nt) {
    if (!p.open_process_token()) return false;
    // The adjustment "succeeds" even when the account lacks the privilege;
    // only the last error tells.
    if (p.enable_privilege("SeShutdownPrivilege") != 0) return false;
  }
  const unsigned flags = (nt ? ewx::poweroff : ewx::shutdown) | ewx::force;
  return p.exit_windows(flags, 0);
}

void shutdown_trigger(FieldStore& f) { power_off_request(f.platform()); }

void close_command(FieldStore& f) {
  f.write_period("时钟1", 0);
  f.destroy_request();
}

}  // namespace dv
