// The soundtrack's instruments: each renders one note (or one hit) into a fresh mono or
// stereo buffer that starts at the note's onset; the score places them in the mix.
#pragma once
#include <cstdint>
#include <vector>

#include "synth_dsp.h"

using Voice = std::vector<float>;

// A sine whose pitch falls from startHz to endHz, held then decaying: from a soft thump
// to a long sub-bass kick.
struct KickSound {
  float startHz, endHz, pitchTime;   // pitch glide and its time constant (s)
  float hold, decay;                 // full level for `hold` s, then exponential decay
  float click;                       // level of a short low-passed noise transient
  float drive;                       // soft saturation (0: none)
};
Voice kickVoice(const KickSound& k, uint64_t seed);

// Sine sub-bass with a touch of second harmonic; `seconds` of gate, short release.
Voice subVoice(float hz, float seconds, float level2nd);

// Two detuned saws (and a sine an octave down) through a resonant low-pass that opens on
// the onset and closes with envHz / envTime: bass lines, plucks and chord stabs.
struct PluckSound {
  float cutoff, envHz, envTime, q;   // filter: base, envelope depth (Hz) and time (s), Q
  float ampDecay;                    // decay time constant while held (0: sustained)
  float release;                     // release after the gate (s)
  float detuneCents;                 // spread of the saw pair
  float sub;                         // level of the sine one octave below
  float square;                      // 0: saws, 1: pulse waves
};
Voice pluckVoice(const std::vector<float>& hz, float seconds, const PluckSound& p, uint64_t seed);

// Two-operator FM electric piano: a bell-like attack settling into a round tone.
Voice epianoVoice(float hz, float seconds, float velocity);

// Detuned-saw lead with delayed vibrato through a gentle low-pass.
Voice leadVoice(float hz, float seconds, float cutoff, uint64_t seed);

// Filtered-noise hits: hats, snares and claps, with an optional pitched body.
struct NoiseHit {
  float bandHz, bandQ, bandMix;      // band-passed noise
  float highHz, highMix;             // high-passed noise (sizzle)
  float attack, hold, decay;         // envelope (s)
  float toneHz, toneMix, toneDecay;  // pitched body (snare shell)
  int bursts;                        // > 1: clap-like repeated onsets 9 ms apart
};
Voice noiseHitVoice(const NoiseHit& h, uint64_t seed);

// A bright hit made for the 2.5-3.5 kHz band: 23 partials on the analyser's 43 Hz bin
// grid from 2498 to 3445 Hz, equal in level, with chirp phases (a rising sweep, or a falling
// one) that keep the crest factor near 1.9, plus a little high sizzle. Each partial has
// amplitude `partial` while held; `toneMix` adds a snare shell.
Voice bandHitVoice(float partial, float hold, float decay, float toneMix, bool falling, uint64_t seed);

// Stereo pad: three detuned saws per note spread across the field, through slowly moving
// low-pass filters, swelling in over `attack` and fading over `release`.
struct PadSound {
  float attack, release;
  float cutoff, q, lfoHz, lfoDepth;  // low-pass and its slow sweep (fraction of cutoff)
  float detuneCents;
  float highpassHz;                  // keeps the pad out of the bass range
};
void padVoice(const std::vector<float>& hz, float seconds, const PadSound& p, uint64_t seed,
              Voice& left, Voice& right);

// Noise swept through a band-pass from fromHz to toHz while it swells: risers and washes.
Voice sweepVoice(float seconds, float fromHz, float toHz, float q, float swellPower, uint64_t seed);

// An electric razor: a buzzing pulse, motor-modulated, high-passed well above the bass.
Voice razorVoice(float seconds, uint64_t seed);
