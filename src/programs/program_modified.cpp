#include "programs/program_modified.h"

#include <cstring>

#include "programs/program_file.h"
#include "shell/bytes.h"

namespace tonforge {

namespace {

// FNV-1a over the values' bytes.
struct Fingerprint {
  uint64_t h = 14695981039346656037ull;

  template <typename T>
  void Add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (const unsigned char b : bytes) h = (h ^ b) * 1099511628211ull;
  }
};

void AddSlot(Fingerprint& f, const DataSlot& s) {
  f.Add(s.name);
  f.Add(s.loaded);
  f.Add(s.looped);
  f.Add(s.inverted);
  f.Add(s.reversed);
  f.Add(s.tempoSync);
  f.Add(s.upperPitch);
  // Loading or clearing data replaces the block; inverting and reversing it in place flip the flags above.
  f.Add(s.data.get());
  f.Add(s.length);
  f.Add(s.loopStart);
  f.Add(s.loopEnd);
  f.Add(s.gain);
  f.Add(s.rootOrRate.u);
}

}  // namespace

uint64_t ProgramFingerprint(const Program& p) {
  Fingerprint f;
  f.Add(p.name);
  f.Add(p.level.Load());
  f.Add(p.volume);
  f.Add(p.transpose);
  f.Add(p.pan.Load());
  for (const Engine& e : p.engines) {
    f.Add(e.type);
    for (const auto& o : e.options) f.Add(o.Load());
    for (const auto& v : e.F) f.Add(v.Load());
    for (const DataSlot& s : e.slots) AddSlot(f, s);
  }
  return f.h;
}

bool IsProgramModified(const Program& program) { return ProgramFingerprint(program) != program.savedFingerprint; }

void MarkProgramSaved(Program& program) { program.savedFingerprint = ProgramFingerprint(program); }

bool OfferToSaveProgram(Session& session, Program& program) {
  if (!IsProgramModified(program)) return true;
  const std::string_view stored = StoredText(program.name);
  const std::string name = stored.empty() ? "Program" : std::string(stored);
  switch (session.dialogs.AskYesNoCancel("Save Changes", "Save Changes To " + name + "?")) {
    case Answer::Yes:
      return SaveProgram(session);
    case Answer::No:
      return true;
    case Answer::Cancel:
      break;
  }
  return false;
}

}  // namespace tonforge
