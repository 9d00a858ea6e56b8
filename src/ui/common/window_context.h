#pragma once

#include "app/endpoints.h"
#include "app/run_log.h"
#include "app/run_state.h"
#include "notices/error_notice.h"
#include "ports/files.h"
#include "ports/ports.h"
#include "ports/signature.h"
#include "usage/usage_events.h"

namespace quillo::ui {

// What a main window works with: the platform, and the run's shared objects.
struct WindowContext {
  Ports ports;
  FilePort& files;
  SignaturePort& signatures;
  const Endpoints& endpoints;
  RunLog& log;
  RunState& state;
  UsageReporter& usage;
  NoticeState& noticeState;
};

}  // namespace quillo::ui
