// The MP3 path: encoding with libmp3lame at 192 kbit/s CBR with the gapless tag frame at
// the start of the file (the decoder trims the encoder delay and padding by it), and
// decoding through the sound layer's gapless libmpg123 decoder.
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>

#include "audio/audio.h"
#include "synth_soundtrack.h"

bool encodeMp3(const StereoAudio& audio, int quality, std::vector<unsigned char>& mp3) {
  mp3.clear();
  lame_global_flags* gf = lame_init();
  if (!gf) return false;
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, SYNTH_RATE);
  lame_set_out_samplerate(gf, SYNTH_RATE);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, 192);
  lame_set_quality(gf, quality);
  lame_set_bWriteVbrTag(gf, 1);             // the Info/LAME frame with delay and padding
  lame_set_write_id3tag_automatic(gf, 0);   // no ID3 tags: nothing but audio frames
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    return false;
  }
  const int chunk = 8192;
  std::vector<unsigned char> buffer((size_t)(chunk * 5 / 4 + 7200));
  const long frames = (long)std::min(audio.left.size(), audio.right.size());
  bool ok = true;
  for (long at = 0; at < frames && ok; at += chunk) {
    int count = (int)std::min<long>(chunk, frames - at);
    int bytes = lame_encode_buffer_ieee_float(gf, audio.left.data() + at, audio.right.data() + at,
                                              count, buffer.data(), (int)buffer.size());
    if (bytes < 0) ok = false;
    else mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    int bytes = lame_encode_flush(gf, buffer.data(), (int)buffer.size());
    if (bytes < 0) ok = false;
    else mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    // The encoder left room for the tag in its first frame; fill it in now that the
    // sample count and padding are known.
    std::vector<unsigned char> tag(8192);
    size_t size = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (size == 0 || size > tag.size() || size > mp3.size()) ok = false;
    else std::copy(tag.begin(), tag.begin() + (long)size, mp3.begin());
  }
  lame_close(gf);
  if (!ok) mp3.clear();
  return ok;
}

bool decodeMp3File(const std::string& path, StereoAudio& audio) {
  audio = StereoAudio{};
  Mp3Decoder decoder;
  if (!openMp3(decoder, path.c_str())) return false;
  const int chunk = 4608;
  std::vector<float> stereo(2 * chunk);
  for (;;) {
    int got = readMp3(decoder, stereo.data(), chunk);
    for (int i = 0; i < got; ++i) {
      audio.left.push_back(stereo[(size_t)(2 * i)]);
      audio.right.push_back(stereo[(size_t)(2 * i + 1)]);
    }
    if (got < chunk) break;
  }
  closeMp3(decoder);
  return true;
}

bool writeFileBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool readFileBytes(const std::string& path, std::vector<unsigned char>& data) {
  data.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + got);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}
