// Inside the platform layer: exitWhenDisplayGoes (platform/platform.h) keeps its handler
// in place across SDL's own set-up of the display.
#pragma once

// Installs the handler again where SDL may have set one of its own (after starting the
// video and making the window). Does nothing before exitWhenDisplayGoes.
void watchDisplayAgain();
