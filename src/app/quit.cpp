#include "app/quit.h"

#include "sequencer/song_file.h"
#include "song/session.h"

namespace tonforge {

void RequestQuit(AppState& app) {
  StopPlayback(app);
  app.quitRequested.store(1, std::memory_order_release);
}

void QuitUnlessChangesWouldBeLost(AppState& app) {
  if (OfferToSaveChanges(app)) RequestQuit(app);
}

}  // namespace tonforge
