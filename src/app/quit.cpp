#include "app/quit.h"

#include "song/session.h"

namespace tonforge {

void RequestQuit(AppState& app) {
  StopPlayback(app);
  app.quitRequested.store(1, std::memory_order_release);
}

}  // namespace tonforge
