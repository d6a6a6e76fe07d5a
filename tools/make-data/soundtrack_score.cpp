// The soundtrack's score: 92 bars at 120 BPM in F minor, one section per scene of the show,
// rendered note by note into a dry bus and two mono effect sends, then reverb, delay, the
// television's glitch, the closing fade and the limiter.
#include <algorithm>
#include <cmath>

#include "synth_soundtrack.h"
#include "synth_voices.h"

namespace {

// ---- Mixing -------------------------------------------------------------------------------

struct Mix {
  long frames;
  StereoAudio dry;
  std::vector<float> reverb;   // mono send to the reverb
  std::vector<float> echo;     // mono send to the ping-pong delay
};

struct Send {
  float gain, pan, reverb, echo;   // pan -1 (left) .. 1 (right)
};

long frameAtBeat(double beats) { return std::lround(beats * (double)BEAT_FRAMES); }
// Onset of sixteenth `step` (may exceed 15) of bar `bar`.
long stepFrame(int bar, double step) { return frameAtBeat(bar * 4.0 + step * 0.25); }
double stepSeconds(double steps) { return steps * 0.125; }

bool starts(const Mix& m, long at) { return at < m.frames; }

void place(Mix& m, long start, const Voice& v, const Send& s) {
  float angle = (s.pan + 1.0f) * 0.25f * SYNTH_PI;
  float gl = s.gain * std::cos(angle) * 1.41421356f, gr = s.gain * std::sin(angle) * 1.41421356f;
  long from = std::max(0L, -start), to = std::min((long)v.size(), m.frames - start);
  for (long i = from; i < to; ++i) {
    float x = v[(size_t)i];
    size_t t = (size_t)(start + i);
    m.dry.left[t] += x * gl;
    m.dry.right[t] += x * gr;
    m.reverb[t] += x * s.gain * s.reverb;
    m.echo[t] += x * s.gain * s.echo;
  }
}

void placeStereo(Mix& m, long start, const Voice& l, const Voice& r, const Send& s) {
  long from = std::max(0L, -start), to = std::min((long)l.size(), m.frames - start);
  for (long i = from; i < to; ++i) {
    size_t t = (size_t)(start + i);
    float a = l[(size_t)i] * s.gain, b = r[(size_t)i] * s.gain;
    m.dry.left[t] += a;
    m.dry.right[t] += b;
    m.reverb[t] += (a + b) * 0.5f * s.reverb;
    m.echo[t] += (a + b) * 0.5f * s.echo;
  }
}

uint64_t seedOf(int instrument, long at) { return (uint64_t)instrument * 1000003ull + (uint64_t)at; }

// ---- Harmony --------------------------------------------------------------------------------

struct Chord {
  int root;              // bass note (MIDI), octave 1
  int tones[4];          // voicing around middle C
};
// The main turn: Fm - Db - Ab - Eb.
const Chord MAIN[4] = {{29, {53, 56, 60, 65}}, {25, {53, 56, 61, 65}},
                       {32, {51, 56, 60, 63}}, {27, {51, 55, 58, 63}}};
// The calm turn: Bbm - Fm - Db - C.
const Chord CALM[4] = {{34, {53, 58, 61, 65}}, {29, {53, 56, 60, 65}},
                       {25, {53, 56, 61, 65}}, {24, {52, 55, 60, 64}}};
// The airy turn: Fm9 - Dbmaj7 - Bbm9 - C7sus4.
const Chord AIRY[4] = {{29, {56, 60, 63, 67}}, {25, {56, 60, 61, 65}},
                       {34, {56, 60, 61, 65}}, {24, {55, 58, 60, 65}}};

std::vector<float> chordHz(const Chord& c, int transpose = 0, int count = 4) {
  std::vector<float> hz;
  for (int i = 0; i < count; ++i) hz.push_back(noteHz((float)(c.tones[i] + transpose)));
  return hz;
}

// ---- Instruments ------------------------------------------------------------------------------

const KickSound KICK_SOFT = {95.0f, 52.0f, 0.02f, 0.02f, 0.08f, 0.0f, 0.0f};
const KickSound KICK_HOUSE = {165.0f, 48.0f, 0.032f, 0.04f, 0.11f, 0.22f, 1.6f};
const KickSound KICK_DROP = {130.0f, 43.65f, 0.025f, 0.17f, 0.045f, 0.08f, 3.0f};   // kick and sub in one
const KickSound KICK_LOOP = {150.0f, 46.0f, 0.03f, 0.03f, 0.09f, 0.18f, 1.4f};
const KickSound KICK_DARK = {140.0f, 47.0f, 0.03f, 0.04f, 0.10f, 0.0f, 1.3f};     // no click

const PluckSound BASS_OFFBEAT = {180.0f, 900.0f, 0.06f, 2.2f, 0.0f, 0.03f, 8.0f, 0.7f, 0.0f};
const PluckSound BASS_DARK = {140.0f, 380.0f, 0.05f, 1.4f, 0.0f, 0.03f, 6.0f, 0.8f, 0.0f};
const PluckSound BASS_LOOP = {160.0f, 700.0f, 0.05f, 2.5f, 0.25f, 0.02f, 9.0f, 0.9f, 0.0f};
const PluckSound STAB = {500.0f, 4200.0f, 0.09f, 1.6f, 0.22f, 0.12f, 14.0f, 0.0f, 0.0f};
const PluckSound STAB_GROOVE = {350.0f, 2600.0f, 0.07f, 1.8f, 0.12f, 0.06f, 12.0f, 0.0f, 0.0f};
const PluckSound ARP = {300.0f, 3200.0f, 0.05f, 5.0f, 0.12f, 0.04f, 5.0f, 0.0f, 1.0f};

const NoiseHit HAT_CLOSED = {9000.0f, 1.0f, 0.4f, 7000.0f, 0.8f, 0.0005f, 0.004f, 0.018f, 0, 0, 1, 1};
const NoiseHit HAT_OPEN = {9000.0f, 1.0f, 0.4f, 7000.0f, 0.8f, 0.001f, 0.01f, 0.11f, 0, 0, 1, 1};
const NoiseHit CLAP = {1400.0f, 1.2f, 1.0f, 4000.0f, 0.25f, 0.0008f, 0.002f, 0.07f, 0, 0, 1, 3};
const NoiseHit SNARE = {1900.0f, 0.8f, 1.0f, 5000.0f, 0.4f, 0.0008f, 0.008f, 0.09f, 190.0f, 0.5f, 0.06f, 1};

const PadSound PAD_WARM = {1.2f, 1.2f, 1300.0f, 0.8f, 0.09f, 0.35f, 9.0f, 140.0f};
const PadSound PAD_AIRY = {1.5f, 1.8f, 2600.0f, 1.1f, 0.13f, 0.45f, 12.0f, 220.0f};
const PadSound PAD_DARK = {0.6f, 0.8f, 700.0f, 0.7f, 0.07f, 0.25f, 8.0f, 160.0f};
const PadSound PAD_WASH = {2.5f, 3.5f, 1800.0f, 0.9f, 0.06f, 0.5f, 16.0f, 200.0f};

void kick(Mix& m, long at, const KickSound& k, float gain) {
  if (!starts(m, at)) return;
  place(m, at, kickVoice(k, seedOf(1, at)), Send{gain, 0.0f, 0.0f, 0.0f});
}

void hit(Mix& m, long at, const NoiseHit& h, const Send& s, int instrument) {
  if (!starts(m, at)) return;
  place(m, at, noiseHitVoice(h, seedOf(instrument, at)), s);
}

void sub(Mix& m, long at, int note, double steps, float gain) {
  if (!starts(m, at)) return;
  place(m, at, subVoice(noteHz((float)note), (float)stepSeconds(steps), 0.12f), Send{gain, 0, 0, 0});
}

void pluck(Mix& m, long at, const std::vector<float>& hz, double steps, const PluckSound& p,
           const Send& s, int instrument) {
  if (!starts(m, at)) return;
  place(m, at, pluckVoice(hz, (float)stepSeconds(steps), p, seedOf(instrument, at)), s);
}

void pad(Mix& m, long at, const std::vector<float>& hz, double steps, const PadSound& p, const Send& s) {
  if (!starts(m, at)) return;
  Voice l, r;
  padVoice(hz, (float)stepSeconds(steps), p, seedOf(7, at), l, r);
  placeStereo(m, at, l, r, s);
}

void epiano(Mix& m, long at, int note, double steps, float velocity, const Send& s) {
  if (!starts(m, at)) return;
  place(m, at, epianoVoice(noteHz((float)note), (float)stepSeconds(steps), velocity), s);
}

void lead(Mix& m, long at, int note, double steps, float cutoff, const Send& s) {
  if (!starts(m, at)) return;
  place(m, at, leadVoice(noteHz((float)note), (float)stepSeconds(steps), cutoff, seedOf(9, at)), s);
}

void sweep(Mix& m, long at, double steps, float fromHz, float toHz, const Send& s) {
  if (!starts(m, at)) return;
  place(m, at, sweepVoice((float)stepSeconds(steps), fromHz, toHz, 2.0f, 2.0f, seedOf(10, at)), s);
}

// ---- Sections ----------------------------------------------------------------------------------

// Bars 0-6 (0-14 s): a warm pad rising out of silence, a soft kick on every beat, a bubbling
// arpeggio joining at 8 s and a riser into the break.
void intro(Mix& m) {
  for (int beat = 0; beat < 28; ++beat)
    kick(m, frameAtBeat(beat), KICK_SOFT, 0.1f + 0.45f * (float)beat / 28.0f);
  const float swell[4] = {0.12f, 0.35f, 0.65f, 0.85f};
  for (int c = 0; c < 4; ++c) {
    PadSound p = PAD_WARM;
    p.cutoff = 450.0f + 500.0f * (float)c;
    if (c == 0) p.attack = 4.0f;
    int bars = c < 3 ? 2 : 1;
    pad(m, stepFrame(2 * c, 0), chordHz(MAIN[c]), 16.0 * bars, p, Send{0.5f * swell[c], 0, 0.35f, 0.0f});
    sub(m, stepFrame(2 * c, 0), MAIN[c].root + 12, 16.0 * bars - 1, 0.10f + 0.08f * (float)c);
  }
  for (int bar = 4; bar < 7; ++bar) {
    const Chord& c = MAIN[bar / 2];
    for (int step = 0; step < 16; step += 2) {
      static const int order[8] = {0, 1, 2, 3, 2, 1, 2, 3};
      PluckSound p = ARP;
      p.envHz = 1200.0f + 300.0f * (float)(bar - 4) + 150.0f * (float)(step % 4);
      pluck(m, stepFrame(bar, step), {noteHz((float)(c.tones[order[step / 2]] + 12))}, 1.5, p,
            Send{0.10f + 0.03f * (float)(bar - 4), step % 4 ? 0.4f : -0.4f, 0.25f, 0.35f}, 11);
    }
  }
  sweep(m, stepFrame(6, 0), 16.0, 300.0f, 6000.0f, Send{0.22f, 0, 0.4f, 0.0f});
}

// Bar 7 (14-16 s): the break, four chord stabs on the four beats, climbing to the dominant.
void breakStabs(Mix& m) {
  const int chords[4][4] = {{53, 56, 60, 65}, {56, 60, 63, 68}, {58, 61, 65, 70}, {55, 60, 64, 67}};
  for (int beat = 0; beat < 4; ++beat) {
    std::vector<float> hz;
    for (int n : chords[beat]) hz.push_back(noteHz((float)n));
    hz.push_back(noteHz((float)(chords[beat][0] - 12)));
    pluck(m, stepFrame(7, 4 * beat), hz, 2.0, STAB, Send{0.42f, 0, 0.55f, 0.3f}, 12);
  }
  hit(m, stepFrame(7, 14), SNARE, Send{0.16f, 0, 0.4f, 0}, 13);
  hit(m, stepFrame(7, 15), SNARE, Send{0.22f, 0, 0.4f, 0}, 13);
}

// Bars 8-9 (16-20 s): the drop, a long kick that is its own sub-bass on every beat.
void drop(Mix& m) {
  for (int beat = 0; beat < 8; ++beat) kick(m, frameAtBeat(32 + beat), KICK_DROP, 0.86f);
  pluck(m, stepFrame(8, 0), chordHz(MAIN[0], 12), 3.0, STAB, Send{0.14f, 0, 0.7f, 0.4f}, 12);
  for (int bar = 8; bar < 10; ++bar)
    for (int step = 2; step < 16; step += 4)
      hit(m, stepFrame(bar, step), HAT_OPEN, Send{0.10f, 0.2f, 0.1f, 0}, 14);
  hit(m, stepFrame(9, 4), CLAP, Send{0.16f, 0, 0.3f, 0}, 15);
  hit(m, stepFrame(9, 12), CLAP, Send{0.16f, 0, 0.3f, 0}, 15);
}

// The house groove: kick, off-beat bass, claps, hats, syncopated stabs over a quiet pad.
void groove(Mix& m, int firstBar, int bars, bool arp, float stabLevel) {
  for (int b = 0; b < bars; ++b) {
    int bar = firstBar + b;
    const Chord& c = MAIN[b % 4];
    for (int beat = 0; beat < 4; ++beat) kick(m, stepFrame(bar, 4 * beat), KICK_HOUSE, 0.62f);
    for (int step = 2; step < 16; step += 4)
      pluck(m, stepFrame(bar, step), {noteHz((float)(c.root + 12))}, 1.6, BASS_OFFBEAT,
            Send{0.34f, 0, 0, 0}, 16);
    hit(m, stepFrame(bar, 4), CLAP, Send{0.20f, -0.1f, 0.25f, 0}, 15);
    hit(m, stepFrame(bar, 12), CLAP, Send{0.20f, 0.1f, 0.25f, 0}, 15);
    for (int step = 0; step < 16; ++step) {
      if (step % 4 == 2) hit(m, stepFrame(bar, step), HAT_OPEN, Send{0.09f, 0.25f, 0.05f, 0}, 14);
      else hit(m, stepFrame(bar, step), HAT_CLOSED, Send{step % 2 ? 0.05f : 0.08f, -0.25f, 0, 0}, 17);
    }
    static const int stabSteps[4] = {3, 6, 10, 14};
    for (int s : stabSteps)
      pluck(m, stepFrame(bar, s), chordHz(MAIN[b % 4]), 1.0, STAB_GROOVE,
            Send{stabLevel, s == 6 ? -0.3f : 0.3f, 0.2f, 0.3f}, 18);
    if (b % 2 == 0) pad(m, stepFrame(bar, 0), chordHz(c), 32.0, PAD_WARM, Send{0.10f, 0, 0.3f, 0});
    if (arp) {
      static const int order[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 3, 1, 2, 0, 3};
      for (int step = 0; step < 16; ++step) {
        PluckSound p = ARP;
        p.envHz = 1500.0f + 900.0f * (float)((step * 5) % 7) / 7.0f;
        pluck(m, stepFrame(bar, step), {noteHz((float)(c.tones[order[step]] + 12))}, 0.8, p,
              Send{0.07f, step % 2 ? 0.5f : -0.5f, 0.2f, 0.3f}, 11);
      }
    }
  }
}

// Bars 22-25 (44-52 s): the calm run, an electric piano melody over soft chords and sub.
void calm(Mix& m) {
  struct Note {
    int bar, step, steps, note;
  };
  static const Note melody[] = {
      {0, 0, 2, 65},  {0, 2, 2, 68},  {0, 4, 2, 70},  {0, 6, 2, 72},  {0, 8, 2, 73},
      {0, 10, 2, 72}, {0, 12, 2, 70}, {0, 14, 2, 68}, {1, 0, 4, 72},  {1, 4, 2, 68},
      {1, 6, 2, 67},  {1, 8, 4, 65},  {1, 12, 2, 63}, {1, 14, 2, 65}, {2, 0, 2, 65},
      {2, 2, 2, 68},  {2, 4, 2, 72},  {2, 6, 2, 73},  {2, 8, 4, 77},  {2, 12, 2, 75},
      {2, 14, 2, 73}, {3, 0, 4, 72},  {3, 4, 2, 76},  {3, 6, 2, 72},  {3, 8, 4, 67},
      {3, 12, 4, 64},
  };
  for (const Note& n : melody)
    epiano(m, stepFrame(22 + n.bar, n.step), n.note, n.steps, 0.7f, Send{0.20f, 0.15f, 0.35f, 0.3f});
  for (int b = 0; b < 4; ++b) {
    const Chord& c = CALM[b];
    for (int i = 0; i < 4; ++i) {
      epiano(m, stepFrame(22 + b, 0), c.tones[i] - 12, 10.0, 0.35f, Send{0.08f, -0.2f, 0.35f, 0});
      epiano(m, stepFrame(22 + b, 10), c.tones[i] - 12, 6.0, 0.25f, Send{0.06f, -0.2f, 0.35f, 0});
    }
    sub(m, stepFrame(22 + b, 0), c.root + 12, 15.0, 0.22f);
    pad(m, stepFrame(22 + b, 0), chordHz(c), 16.0, PAD_WARM, Send{0.08f, 0, 0.4f, 0});
  }
}

// Bars 26-37 (52-76 s): airy pads and bubbling arpeggios, building from bar 30 (60 s) as the
// root rises, the full groove from bar 34 and a snare roll into the loop.
void airy(Mix& m) {
  for (int b = 0; b < 12; ++b) {
    int bar = 26 + b;
    const Chord& c = AIRY[b % 4];
    float build = b < 4 ? 0.0f : std::min(1.0f, (float)(b - 4) / 4.0f);
    PadSound p = PAD_AIRY;
    p.cutoff = 1800.0f + 2200.0f * build;
    pad(m, stepFrame(bar, 0), chordHz(c), 16.0, p, Send{0.22f, 0, 0.45f, 0.0f});
    static const int order[16] = {0, 2, 1, 3, 2, 0, 3, 1, 0, 2, 3, 1, 2, 3, 1, 0};
    for (int step = 0; step < 16; ++step) {
      PluckSound a = ARP;
      a.envHz = 700.0f + 2600.0f * build + 700.0f * (float)((step * 3 + b) % 5) / 5.0f;
      a.q = 5.5f;
      int octave = step % 8 == 7 ? 24 : 12;
      pluck(m, stepFrame(bar, step), {noteHz((float)(c.tones[order[step]] + octave))}, 0.9, a,
            Send{0.10f + 0.04f * build, step % 2 ? 0.6f : -0.6f, 0.3f, 0.45f}, 11);
    }
    sub(m, stepFrame(bar, 0), c.root + 12, 15.5, b < 4 ? 0.12f : 0.2f);
    if (b >= 4 && b < 8) {
      for (int beat = 0; beat < 4; ++beat) kick(m, stepFrame(bar, 4 * beat), KICK_SOFT, 0.3f + 0.3f * build);
      for (int step = 2; step < 16; step += 4)
        hit(m, stepFrame(bar, step), HAT_CLOSED, Send{0.03f + 0.05f * build, 0.3f, 0.1f, 0}, 17);
    }
  }
  sweep(m, stepFrame(32, 0), 32.0, 200.0f, 7000.0f, Send{0.2f, 0, 0.4f, 0});
  groove(m, 34, 4, false, 0.05f);
  for (int i = 0; i < 16; ++i)
    hit(m, stepFrame(37, i), SNARE, Send{0.05f + 0.012f * (float)i, 0, 0.3f, 0}, 13);
}

// One cycle of the scene-7 loop, placed from `at`: kick and a syncopated bass in F minor,
// the last beat left empty so the hair can settle.
void loopCycle(Mix& m, long at) {
  struct Note {
    int step, steps, note;
  };
  static const Note bass[] = {
      {2, 2, 29},  {6, 1, 29},  {7, 1, 41},  {10, 2, 32}, {14, 2, 36},
      {18, 2, 25}, {22, 1, 25}, {23, 1, 37}, {25, 1, 27}, {26, 2, 39},
  };
  for (int beat = 0; beat < 7; ++beat)
    place(m, at + frameAtBeat(beat), kickVoice(KICK_LOOP, seedOf(1, beat)), Send{0.55f, 0, 0, 0});
  for (const Note& n : bass) {
    long t = at + frameAtBeat(n.step * 0.25);
    place(m, t, pluckVoice({noteHz((float)(n.note + 12))}, (float)stepSeconds(n.steps - 0.3), BASS_LOOP,
                           seedOf(16, n.step)),
          Send{0.42f, 0, 0, 0});
  }
}

// The loop cycle alone, rendered twice so that the second copy carries the tails of the
// first, as every cycle after the first does in the mix.
StereoAudio loopStem() {
  Mix m{2 * LOOP_FRAMES, makeStereoAudio(2 * LOOP_FRAMES), std::vector<float>(2 * LOOP_FRAMES),
        std::vector<float>(2 * LOOP_FRAMES)};
  loopCycle(m, 0);
  loopCycle(m, LOOP_FRAMES);
  StereoAudio cycle;
  cycle.left.assign(m.dry.left.begin() + LOOP_FRAMES, m.dry.left.end());
  cycle.right.assign(m.dry.right.begin() + LOOP_FRAMES, m.dry.right.end());
  return cycle;
}

// Bars 38-47 (76-96 s): the bass loop five times; pads and hats above it, and from bar 44
// (88 s) the razor's buzz.
void loopSection(Mix& m) {
  StereoAudio cycle = loopStem();
  for (int r = 0; r < LOOP_REPEATS; ++r) {
    long at = LOOP_START_FRAME + r * LOOP_FRAMES;
    for (long i = 0; i < LOOP_FRAMES && at + i < m.frames; ++i) {
      m.dry.left[(size_t)(at + i)] += cycle.left[(size_t)i];
      m.dry.right[(size_t)(at + i)] += cycle.right[(size_t)i];
    }
  }
  for (int b = 0; b < 10; ++b) {
    int bar = 38 + b;
    pad(m, stepFrame(bar, 0), chordHz(MAIN[(b / 2) % 4 == 1 ? 1 : 0]), 16.0, PAD_AIRY, Send{0.10f, 0, 0.4f, 0});
    for (int step = 0; step < 16; ++step)
      hit(m, stepFrame(bar, step), step % 4 == 2 ? HAT_OPEN : HAT_CLOSED,
          Send{step % 4 == 2 ? 0.08f : 0.05f, 0.3f, 0.05f, 0}, 17);
    if (b >= 6) {
      static const int order[8] = {0, 2, 3, 1, 2, 3, 0, 2};
      for (int step = 0; step < 16; step += 2)
        pluck(m, stepFrame(bar, step), {noteHz((float)(MAIN[0].tones[order[step / 2]] + 12))}, 1.2, ARP,
              Send{0.08f, step % 4 ? 0.5f : -0.5f, 0.3f, 0.4f}, 11);
    }
  }
  if (starts(m, stepFrame(44, 0))) {
    Voice razor = razorVoice(7.5f, 77);
    place(m, stepFrame(44, 0), razor, Send{0.16f, -0.3f, 0.25f, 0.2f});
  }
}

// Bars 48-63 (96-128 s): bright hats on every eighth and snares on two and four over a dark
// groove; nothing else reaches up to 2.5 kHz, so the hats stand out on their own.
void hatsSection(Mix& m) {
  static const int bassSteps[6] = {2, 3, 6, 10, 11, 14};
  for (int b = 0; b < 16; ++b) {
    int bar = 48 + b;
    const Chord& c = MAIN[(b / 2) % 4];
    for (int beat = 0; beat < 4; ++beat) kick(m, stepFrame(bar, 4 * beat), KICK_DARK, 0.36f);
    for (int s : bassSteps)
      pluck(m, stepFrame(bar, s), {noteHz((float)(c.root + 12 + (s == 11 ? 12 : 0)))}, 0.8, BASS_DARK,
            Send{0.30f, 0, 0, 0}, 16);
    if (b % 2 == 0) {
      PadSound p = PAD_DARK;
      Voice l, r;
      if (starts(m, stepFrame(bar, 0))) {
        padVoice(chordHz(c, -12), 32.0f * 0.125f, p, seedOf(7, bar), l, r);
        // Two more low-pass passes keep the pad's upper harmonics out of the hats' band.
        Lowpass4 fl = makeLowpass4(900.0f), fr = makeLowpass4(900.0f);
        for (size_t i = 0; i < l.size(); ++i) {
          l[i] = stepLowpass4(fl, l[i]);
          r[i] = stepLowpass4(fr, r[i]);
        }
        placeStereo(m, stepFrame(bar, 0), l, r, Send{0.35f, 0, 0.0f, 0});
      }
    }
    for (int step = 0; step < 16; step += 2) {
      long at = stepFrame(bar, step);
      if (!starts(m, at)) continue;
      bool snare = step == 4 || step == 12;
      Voice v = bandHitVoice(snare ? 0.078f : 0.075f, snare ? 0.05f : 0.042f, snare ? 0.02f : 0.012f,
                             snare ? 0.16f : 0.0f, snare, seedOf(snare ? 19 : 20, at));
      place(m, at, v, Send{1.0f, snare ? 0.0f : (step % 4 ? 0.2f : -0.2f), 0, 0});
    }
  }
}

// Bars 64-69 (128-140 s): a wide wash of pads and noise that calms as the waves flatten.
void wash(Mix& m) {
  for (int b = 0; b < 6; ++b) {
    int bar = 64 + b;
    float calmDown = 1.0f - (float)b / 6.0f;
    PadSound p = PAD_WASH;
    p.cutoff = 600.0f + 1800.0f * calmDown;
    const Chord& c = b < 4 ? MAIN[b] : MAIN[0];
    pad(m, stepFrame(bar, 0), chordHz(c), 16.0, p, Send{0.16f + 0.1f * calmDown, 0, 0.8f, 0.1f});
    sub(m, stepFrame(bar, 0), c.root + 12, 15.0, 0.12f * calmDown + 0.04f);
    if (b < 4)
      epiano(m, stepFrame(bar, 0), c.tones[3] + 12, 12.0, 0.4f * calmDown, Send{0.10f, 0.3f, 0.6f, 0.4f});
  }
  Voice wash = sweepVoice(11.5f, 3000.0f, 400.0f, 0.7f, 0.0f, 1299);
  // The noise fades as it darkens.
  for (size_t i = 0; i < wash.size(); ++i) wash[i] *= 1.0f - (float)i / (float)wash.size();
  if (starts(m, stepFrame(64, 0))) place(m, stepFrame(64, 0), wash, Send{0.06f, 0.4f, 0.6f, 0});
}

// Bars 70-91 (140-184 s): the finale, a build, then the full groove with a lead melody, under
// the closing fade.
void finale(Mix& m) {
  for (int b = 0; b < 4; ++b) {
    int bar = 70 + b;
    pad(m, stepFrame(bar, 0), chordHz(MAIN[b]), 16.0, PAD_AIRY, Send{0.14f, 0, 0.4f, 0});
    for (int beat = 0; beat < 4; ++beat) kick(m, stepFrame(bar, 4 * beat), KICK_SOFT, 0.3f + 0.08f * (float)b);
    for (int step = 0; step < 16; ++step) {
      PluckSound a = ARP;
      a.envHz = 900.0f + 600.0f * (float)b;
      static const int order[16] = {0, 1, 2, 3, 2, 1, 3, 2, 0, 1, 2, 3, 2, 1, 3, 2};
      pluck(m, stepFrame(bar, step), {noteHz((float)(MAIN[b].tones[order[step]] + 12))}, 0.8, a,
            Send{0.09f, step % 2 ? 0.5f : -0.5f, 0.25f, 0.35f}, 11);
    }
  }
  sweep(m, stepFrame(72, 0), 32.0, 250.0f, 8000.0f, Send{0.2f, 0, 0.4f, 0});
  groove(m, 74, 18, true, 0.07f);
  struct Note {
    int bar, step, steps, note;
  };
  static const Note phrase[] = {
      {0, 0, 6, 72}, {0, 6, 2, 75},  {0, 8, 4, 77},  {0, 12, 4, 75}, {1, 0, 6, 73}, {1, 6, 2, 72},
      {1, 8, 8, 68}, {2, 0, 4, 72},  {2, 4, 4, 75},  {2, 8, 4, 80},  {2, 12, 4, 79}, {3, 0, 8, 79},
      {3, 8, 4, 77}, {3, 12, 4, 75},
  };
  for (int rep = 0; rep < 4; ++rep)
    for (const Note& n : phrase) {
      int note = n.note;
      if (rep % 2 == 1 && n.bar == 3 && n.step == 12) note = 72;   // the answer resolves to C
      lead(m, stepFrame(76 + 4 * rep + n.bar, n.step), note, n.steps - 0.5, 2600.0f,
           Send{0.12f, 0.0f, 0.3f, 0.35f});
    }
  sweep(m, stepFrame(89, 0), 48.0, 8000.0f, 200.0f, Send{0.14f, 0, 0.5f, 0});
}

// ---- Master ------------------------------------------------------------------------------------

// 38-44 s: the groove breaks up into television noise, bit-crushed stutters and static that
// thickens until the calm of 44 s cuts in.
void televisionGlitch(StereoAudio& a) {
  const long from = 38L * SYNTH_RATE, to = std::min<long>(44L * SYNTH_RATE, (long)a.left.size());
  if (from >= to) return;
  const StereoAudio original{std::vector<float>(a.left.begin() + from, a.left.begin() + to),
                             std::vector<float>(a.right.begin() + from, a.right.begin() + to)};
  SynthRandom rng = synthRandom(4242);
  Svf staticTone = makeSvf(3500.0f, 0.6f);
  const long slot = BEAT_FRAMES / 4;
  for (long s0 = 0; s0 < to - from; s0 += slot) {
    float x = (float)s0 / (float)(6L * SYNTH_RATE);          // 0 .. 1 over the six seconds
    float roll = randomUnit(rng);
    int mode = roll < 0.15f + 0.7f * x ? 1 + (int)(nextRandom(rng) % 3) : 0;
    long grain = slot >> (1 + nextRandom(rng) % 3);
    int hold = 2 + (int)(nextRandom(rng) % (2 + (unsigned)(10.0f * x)));
    float levels = std::pow(2.0f, 6.0f - 3.0f * x);
    float staticLevel = 0.05f + 0.45f * x * x * (0.5f + randomUnit(rng));
    for (long i = 0; i < slot && s0 + i < to - from; ++i) {
      long src = s0 + i;
      if (mode == 1) src = s0 + (i % grain);                  // stutter
      if (mode == 2 && s0 >= slot) src = s0 - slot + i;       // repeat the previous slot
      if (mode == 3) src = s0 + (i / hold) * hold;            // sample-and-hold
      float l = original.left[(size_t)src], r = original.right[(size_t)src];
      if (mode == 3) {
        l = std::round(l * levels) / levels;
        r = std::round(r * levels) / levels;
      }
      // Short fades at the slot edges keep the cuts from clicking.
      float edge = std::min(1.0f, std::min((float)i, (float)(slot - 1 - i)) / 64.0f);
      float n = stepSvf(staticTone, randomBipolar(rng)).band * staticLevel;
      float dry = (1.0f - 0.6f * x * x) * edge;
      a.left[(size_t)(from + s0 + i)] = l * dry + n;
      a.right[(size_t)(from + s0 + i)] = r * dry + n * 0.9f;
    }
  }
}

// 178-184 s: the music fades to silence under the closing tear.
void closingFade(StereoAudio& a) {
  const long from = 178L * SYNTH_RATE, to = 184L * SYNTH_RATE;
  for (long i = from; i < (long)a.left.size(); ++i) {
    float x = i >= to ? 0.0f : 1.0f - (float)(i - from) / (float)(to - from);
    float g = x * x * (3.0f - 2.0f * x);
    a.left[(size_t)i] *= g;
    a.right[(size_t)i] *= g;
  }
}

}  // namespace

StereoAudio renderSoundtrack(long frames) {
  frames = std::max(0L, frames);
  Mix m{frames, makeStereoAudio(frames), std::vector<float>((size_t)frames), std::vector<float>((size_t)frames)};
  intro(m);
  breakStabs(m);
  drop(m);
  groove(m, 10, 12, false, 0.06f);
  calm(m);
  airy(m);
  loopSection(m);
  hatsSection(m);
  wash(m);
  finale(m);

  StereoAudio out = std::move(m.dry);
  addReverb(m.reverb, out, ReverbSettings{0.86f, 0.35f, 1.0f, 180.0f, 7000.0f});
  addPingPongDelay(m.echo, out, DelaySettings{frameAtBeat(0.75), 0.38f, 0.6f, 3500.0f});
  m.reverb = {};
  m.echo = {};
  televisionGlitch(out);
  closingFade(out);
  limitPeaks(out, MIX_CEILING, 220, 0.12f);
  return out;
}

std::vector<float> renderBassLoopCycle() {
  StereoAudio cycle = loopStem();
  std::vector<float> mono(cycle.left.size());
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (cycle.left[i] + cycle.right[i]);
  return mono;
}
