// The soundtrack's score: one section per cue of the show, each naming its
// groove, bass line, chords, melody and the accents that land on the scenes'
// flashes, plus the patterns and chords those names stand for. All of it is
// constant data; the sequencer turns it into sound.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace music {

enum class ChordName : uint8_t { Am, F, C, G, Dm, E };

struct Chord {
  int bass;                 // MIDI note of the bass root
  std::array<int, 4> pad;   // MIDI notes of the pad voicing
};

// Drum patterns: one character per step (sixteenth note) of a bar.
// '.' rest, 'o' soft, 'x' normal, 'X' loud, 'r' two thirty-seconds.
struct Groove {
  std::string_view kick;
  std::string_view snare;
  std::string_view hat;
  std::string_view open_hat;
};

enum class GrooveName : uint8_t { None, Sparse, Pulse, Hats, Halftime, Drive, Broken, Stutter };

// Bass patterns: one character per step. 'R' root, 'O' octave up, 'F' fifth,
// '-' holds the previous note, '.' rest.
enum class BassName : uint8_t { None, Sustain, Pulse, Half, Drive, Walk };

struct MelodyNote {
  uint8_t step;    // sixteenth within the melody
  uint8_t length;  // in sixteenths
  uint8_t note;    // MIDI note
};

enum class MelodyName : uint8_t { None, Calm, Hook, Climb };

// Where a section's accents fall, besides its first step.
enum class AccentRule : uint8_t {
  Start,          // the first step only
  Every2000,      // every 2000 ms
  Every4000,      // every 4000 ms
  BeatList,       // the stuttering hit list of the blurred sequences
  Final,          // the first step only: the closing hit that rings out
};

// How a section hands over to the next one.
enum class Ending : uint8_t {
  None,
  Fill,        // snare fill in the last two beats
  Roll,        // snare roll and noise riser over the last bar
  Riser,       // noise riser over the last two bars
  Break,       // everything drops out for the last 750 ms under a short riser
};

struct Section {
  int32_t time_ms;
  GrooveName groove;
  BassName bass;
  std::array<ChordName, 4> chords;
  uint8_t chord_count;
  uint8_t bars_per_chord;
  MelodyName melody;
  uint8_t melody_bar;  // bar of the melody this section starts on
  bool arpeggio;
  AccentRule accents;
  Ending ending;
  float level;       // loudness of the band, 0..1 (0: no band at all)
  float brightness;  // openness of the pads, 0..1
};

// The sections in time order; the last one is the closing hit at the
// show's end.
std::span<const Section> sections();

// Milliseconds after which the music has died away.
constexpr int32_t kEndMs = 187500;

const Chord& chord(ChordName name);
const Groove& groove(GrooveName name);
std::string_view bass_line(BassName name);
std::span<const MelodyNote> melody(MelodyName name);
constexpr int kMelodySteps = 64;  // every melody is four bars long

// The stuttering hit list of the blurred sequence scenes, ms after their start.
std::span<const int32_t> beat_list();

// Section-relative accent times of one section, in ms, ascending.
std::vector<int32_t> section_accents(const Section& section, int32_t length_ms);

// Every accent of the soundtrack in show time, ascending.
std::vector<int32_t> accent_times();

}  // namespace music
