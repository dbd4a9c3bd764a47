#pragma once
// Whether the sound card can record: a short recording from the default input.

namespace sonvelle {

// Opens a record stream on the sound server's default source (s16le, mono,
// 32000 Hz), reads a moment of it and closes it. True exactly when recording
// ran. Failures are logged ("Errore ControlloPresenzaScheda: ..." when the
// stream cannot be opened, "... (2): ..." when it does not record).
bool ControlloPresenzaScheda();

}  // namespace sonvelle
