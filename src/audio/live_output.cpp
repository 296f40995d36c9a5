#include "audio/live_output.h"

#include "shell/show_error.h"

namespace tonforge {

namespace {

void WriteAt(Studio& studio, uint32_t target) {
  studio.ring.writeBlock = target;
  studio.ring.blockPending = 0;
  // A block that cannot be written is lost; the device plays what the ring held.
  const uint32_t bytes = studio.ring.BlockBytes();
  (void)studio.sound->WriteBlock(target * bytes, studio.ring.staging.data(), bytes);
}

}  // namespace

bool WriteStagingBlock(Studio& studio) {
  if (!studio.sound) {
    studio.ring.blockPending = 1;
    return false;
  }
  const uint32_t target = TargetBlock(studio.sound->PlayCursor(), studio.ring.BlockBytes());
  if (target == studio.ring.writeBlock) {
    studio.ring.blockPending = 1;
    return false;
  }
  WriteAt(studio, target);
  return true;
}

bool WritePendingBlock(Studio& studio) {
  if (!studio.sound) return false;
  const uint32_t target = TargetBlock(studio.sound->PlayCursor(), studio.ring.BlockBytes());
  if (target == studio.ring.writeBlock) return false;
  WriteAt(studio, target);
  return true;
}

LiveOutputStep ServeLiveOutput(Studio& studio) {
  StandardRoutines run;
  return ServeLiveOutputWith(studio, run);
}

bool CreateMixBuffer(Studio& studio, int32_t sampleRate) {
  if (studio.sound && studio.sound->Recreate(sampleRate)) return true;
  ShowError(studio.dialogs, "Could Not Create Mix Sound Buffer");
  return false;
}

}  // namespace tonforge
