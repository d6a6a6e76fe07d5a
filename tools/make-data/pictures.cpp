// The picture part of make-data: the table of the show's 33 pictures (file name and painter)
// and the two ways of writing them, as .raw files for the show and as PNG previews.
#include <cstdio>
#include <string>

#include "make_data.h"
#include "pictures.h"

const std::vector<PictureJob>& pictureJobs() {
  static const std::vector<PictureJob> jobs = {
      {"loading_1024x512.raw", makeLoading},
      {"titre_1024x512.raw", makeTitre},
      {"blue_aniso_64x64.raw", makeBlueAniso},
      {"vrillstripe_256x64.raw", makeVrillStripe},
      {"fond_shampoo_512x512.raw", makeFondShampoo},
      {"bgGrn_64x64.raw", makeBgGreen},
      {"fond_bleu_coini-inf-droit_512x512.raw", makeFondBleuCorner},
      {"fond_bleu_bas_512x512.raw", makeFondBleuBottom},
      {"fond_bleucentrebas_512x512.raw", makeFondBleuCentreBottom},
      {"words_512x512.raw", makeWords},
      {"H_barr_256x256.raw", [] { return makeFence(false); }},
      {"H_bout_256x256.raw", [] { return makeFence(true); }},
      {"H_hous1_1024x1024.raw", [] { return makeHouseWalls(false); }},
      {"H_hous2_1024x1024.raw", [] { return makeHouseWalls(true); }},
      {"H_port1_256x256.raw", [] { return makeDoor(false); }},
      {"H_port2_256x256.raw", [] { return makeDoor(true); }},
      {"chrm2_256x256.raw", makeChromeGlass},
      {"darkvrilluv_256x256.raw", makeDarkVrill},
      {"bottlTiket_512x512.raw", makeBottleLabel},
      {"bottleEnv_128x128.raw", makeBottleEnv},
      {"bubulle_64x64.raw", makeBubble},
      {"skinEnv_128x128.raw", makeSkinEnv},
      {"mogn_64x64.raw", makeMogn},
      {"effetrevitalisant_256x256.raw", makeRevitalising},
      {"tele_1024x1024.raw", makeTele},
      {"scrnoiz_512x512.raw", makeScreenNoise},
      {"chrm_256x256.raw", makeChrome},
      {"rasoirplat_manche_256x256.raw", makeRazorHandle},
      {"rasoir_256x256.raw", makeRazorHead},
      {"clip_4x4.raw", makeClip},
      {"grtz_4096x64.raw", makeGreetings},
      {"bords2_512x512.raw", makeBorders},
      {"white_32x32.raw", makeWhite},
  };
  return jobs;
}

void writePictures(const std::string& outDir) {
  for (const PictureJob& job : pictureJobs()) {
    Picture picture = job.make();
    std::string path = outDir + "/" + job.fileName;
    if (!writeRaw(path, picture)) reportWriteFailure(path);
    else progress("pictures", job.fileName);
  }
}

void writePicturePreviews(const std::string& outDir) {
  for (const PictureJob& job : pictureJobs()) {
    std::string name = job.fileName;
    name = name.substr(0, name.rfind('.')) + ".png";
    std::string path = outDir + "/" + name;
    if (!writePreviewPng(path, job.make())) reportWriteFailure(path);
    else progress("preview", name.c_str());
  }
}
