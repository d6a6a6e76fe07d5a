// The greetings ribbon's lettering, shared by its picture (pictures_screens.cpp) and its
// mesh (meshes_props.cpp). Lengths are pixels of the 1024 x 768 screen at the size the
// ribbon shows them: the mesh maps the picture's 64 rows onto GREETINGS_BAND_PX and its
// whole width onto GREETINGS_LENGTH_PX, whatever the distance, so the picture is painted
// for exactly that size.
#pragma once

constexpr float GREETINGS_BAND_PX = 44;       // height of the ribbon on screen
constexpr float GREETINGS_EM_PX = 34;         // letter size: capitals about 25 px tall
constexpr float GREETINGS_LEAD_PX = 300;      // blank ribbon before the first word
constexpr float GREETINGS_LENGTH_PX = 4263;   // the whole picture, blank after the last name included
