// Generation of the data set under test (once per build tree, shared by every test process
// through a lock file) and the inventory the show loads.
#include "dataset_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

const std::vector<PictureEntry> INVENTORY_PICTURES = {
    {"loading_1024x512.raw", 1024, 512},
    {"titre_1024x512.raw", 1024, 512},
    {"blue_aniso_64x64.raw", 64, 64},
    {"vrillstripe_256x64.raw", 256, 64},
    {"fond_shampoo_512x512.raw", 512, 512},
    {"bgGrn_64x64.raw", 64, 64},
    {"fond_bleu_coini-inf-droit_512x512.raw", 512, 512},
    {"fond_bleu_bas_512x512.raw", 512, 512},
    {"fond_bleucentrebas_512x512.raw", 512, 512},
    {"words_512x512.raw", 512, 512},
    {"H_barr_256x256.raw", 256, 256},
    {"H_bout_256x256.raw", 256, 256},
    {"H_hous1_1024x1024.raw", 1024, 1024},
    {"H_hous2_1024x1024.raw", 1024, 1024},
    {"H_port1_256x256.raw", 256, 256},
    {"H_port2_256x256.raw", 256, 256},
    {"chrm2_256x256.raw", 256, 256},
    {"darkvrilluv_256x256.raw", 256, 256},
    {"bottlTiket_512x512.raw", 512, 512},
    {"bottleEnv_128x128.raw", 128, 128},
    {"bubulle_64x64.raw", 64, 64},
    {"skinEnv_128x128.raw", 128, 128},
    {"mogn_64x64.raw", 64, 64},
    {"effetrevitalisant_256x256.raw", 256, 256},
    {"tele_1024x1024.raw", 1024, 1024},
    {"scrnoiz_512x512.raw", 512, 512},
    {"chrm_256x256.raw", 256, 256},
    {"rasoirplat_manche_256x256.raw", 256, 256},
    {"rasoir_256x256.raw", 256, 256},
    {"clip_4x4.raw", 4, 4},
    {"grtz_4096x64.raw", 4096, 64},
    {"bords2_512x512.raw", 512, 512},
    {"white_32x32.raw", 32, 32},
};

const std::vector<MeshEntry> INVENTORY_MESHES = {
    {"furball.baf", 3},     {"spch.baf", 4},         {"H_barr.baf", 4},
    {"H_bout.baf", 2},      {"H_hous.baf", 4},       {"H_port.baf", 5},
    {"H_vitr.baf", 4},      {"H_couettes.baf", 3},   {"envahipoilA.baf", 2},
    {"envahipoilB.baf", 2}, {"bottle.baf", 4},       {"bubl.bof", 1},
    {"root.bof", 1},        {"mogn.baf", 2},         {"poildebass.baf", 4},
    {"poilglow.baf", 2},    {"tele.bof", 1},         {"tele_chrm.bof", 1},
    {"tele_noiz.baf", 11},  {"rasoirplat_env.bof", 1}, {"rasoirplat_manche.bof", 1},
    {"tapis.bof", 1},       {"R2_lame.bof", 1},      {"R2_manch.bof", 1},
    {"R2_plas.bof", 1},     {"skin.bof", 1},         {"clip.bof", 1},
    {"grtz.baf", 2},
};

bool runMakeData(const std::string& arguments, const std::string& logPath) {
  std::string command = std::string("'") + MAKE_DATA_PATH + "' " + arguments + " >'" + logPath + "' 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string generatedDataSet(std::string* why) {
  const std::string root = std::string(SHOW_BINARY_DIR) + "/dataset-under-test";
  const std::string dir = root + "/data", stamp = root + "/generated", fresh = root + "/data.new";
  std::error_code error;
  fs::create_directories(root, error);
  int lock = open((root + "/lock").c_str(), O_CREAT | O_RDWR, 0644);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) {
    *why = "cannot lock " + root;
    if (lock >= 0) close(lock);
    return "";
  }
  bool current = fs::exists(stamp, error) &&
                 fs::last_write_time(stamp, error) >= fs::last_write_time(MAKE_DATA_PATH, error);
  std::string result = dir;
  if (!current) {
    fs::remove_all(fresh, error);
    fs::remove(stamp, error);
    if (!runMakeData("--out '" + fresh + "'", root + "/make-data.log")) {
      *why = "make-data failed, see " + root + "/make-data.log";
      result = "";
    } else {
      fs::remove_all(dir, error);
      fs::rename(fresh, dir, error);
      if (FILE* f = std::fopen(stamp.c_str(), "w")) std::fclose(f);
    }
  }
  flock(lock, LOCK_UN);
  close(lock);
  return result;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
  std::fclose(f);
  return true;
}

RawPicture readPicture(const std::string& dataDir, const PictureEntry& entry) {
  RawPicture p;
  std::vector<uint8_t> bytes;
  if (!readWholeFile(dataDir + "/" + entry.name, &bytes) ||
      bytes.size() != static_cast<size_t>(entry.width) * entry.height * 4)
    return p;
  p.width = entry.width;
  p.height = entry.height;
  p.rgba = std::move(bytes);
  return p;
}

const PictureEntry& pictureEntry(const char* name) {
  for (const PictureEntry& e : INVENTORY_PICTURES)
    if (!std::strcmp(e.name, name)) return e;
  static const PictureEntry none{"", 0, 0};
  return none;
}
