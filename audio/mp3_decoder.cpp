// MP3 decoding with libmpg123, one decoder record per stream, read forward in small steps so
// memory stays bounded. Gapless decoding is on, so the stream starts on the music's first
// sample and ends on its last; the output is always 44100 Hz stereo: other rates are
// resampled by the library and mono files are doubled to two channels.
// Owns: mp3DecodersOpen.
#include <mpg123.h>

#include <cstdio>

#include "audio/audio.h"

int mp3DecodersOpen;

static mpg123_handle* handleOf(Mp3Decoder& decoder) {
  return static_cast<mpg123_handle*>(decoder.handle);
}

// Restricts the library's output to 44100 Hz stereo in one encoding; 1 when accepted.
static int forceOutputFormat(mpg123_handle* mh, int encoding) {
  if (mpg123_format_none(mh) != MPG123_OK) return 0;
  return mpg123_format(mh, MUSIC_RATE, MPG123_STEREO, encoding) == MPG123_OK;
}

int openMp3(Mp3Decoder& decoder, const char* path) {
  decoder = Mp3Decoder{};
  if (!path) return 0;
  mpg123_init();                      // a no-op in current libraries, needed by old ones
  int error = 0;
  mpg123_handle* mh = mpg123_new(nullptr, &error);
  if (!mh) return 0;
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  int floatOutput = 1;
  if (!forceOutputFormat(mh, MPG123_ENC_FLOAT_32)) {
    floatOutput = 0;
    if (!forceOutputFormat(mh, MPG123_ENC_SIGNED_16)) {
      mpg123_delete(mh);
      return 0;
    }
  }
  if (mpg123_open(mh, path) != MPG123_OK) {
    mpg123_delete(mh);
    return 0;
  }
  // Reading the format decodes the first frame header: an empty or non-MP3 file fails here.
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate != MUSIC_RATE ||
      channels != 2) {
    mpg123_close(mh);
    mpg123_delete(mh);
    return 0;
  }
  decoder.handle = mh;
  decoder.floatOutput = floatOutput;
  ++mp3DecodersOpen;
  return 1;
}

int readMp3(Mp3Decoder& decoder, float* stereo, int frames) {
  mpg123_handle* mh = handleOf(decoder);
  int written = 0;
  // Bounded: a library that keeps returning nothing without an error ends the stream.
  for (int idle = 0; mh && !decoder.ended && written < frames && idle < 64;) {
    size_t done = 0;
    int result;
    if (decoder.floatOutput) {
      result = mpg123_read(mh, reinterpret_cast<unsigned char*>(stereo + 2 * written),
                           sizeof(float) * 2 * (size_t)(frames - written), &done);
      written += (int)(done / (2 * sizeof(float)));
    } else {
      // 16-bit output: decode into the tail of the float buffer, then widen in place from
      // the front (each float needs two of the bytes that held one sample).
      int want = frames - written;
      int16_t* pcm = reinterpret_cast<int16_t*>(stereo + 2 * written) + 2 * want;
      result = mpg123_read(mh, reinterpret_cast<unsigned char*>(pcm),
                           sizeof(int16_t) * 2 * (size_t)want, &done);
      int got = (int)(done / (2 * sizeof(int16_t)));
      for (int i = 0; i < 2 * got; ++i) stereo[2 * written + i] = pcm[i] * (1.0f / 32768.0f);
      written += got;
    }
    if (done == 0) ++idle;
    if (result == MPG123_NEW_FORMAT || result == MPG123_OK) continue;
    decoder.ended = 1;                // MPG123_DONE or an error the library cannot pass
  }
  if (written < frames && !decoder.ended) decoder.ended = 1;
  decoder.framesRead += written;
  return written;
}

int rewindMp3(Mp3Decoder& decoder) {
  mpg123_handle* mh = handleOf(decoder);
  if (!mh || mpg123_seek(mh, 0, SEEK_SET) < 0) return 0;
  decoder.ended = 0;
  decoder.framesRead = 0;
  return 1;
}

// libmpg123 counts offsets in decoded frames of the gapless stream and decodes from the MP3
// frame before (its bit reservoir) to land on the exact sample.
int seekMp3(Mp3Decoder& decoder, int64_t frame) {
  mpg123_handle* mh = handleOf(decoder);
  if (!mh || frame < 0) return 0;
  off_t at = mpg123_seek(mh, (off_t)frame, SEEK_SET);
  if (at < 0) return 0;
  decoder.ended = 0;
  decoder.framesRead = at;
  return 1;
}

void closeMp3(Mp3Decoder& decoder) {
  if (mpg123_handle* mh = handleOf(decoder)) {
    mpg123_close(mh);
    mpg123_delete(mh);
    --mp3DecodersOpen;
  }
  decoder = Mp3Decoder{};
}
